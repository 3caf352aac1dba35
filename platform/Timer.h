#pragma once

#include "platform/Clock.h"
#include "platform/Object.h"

#include <memory>

class RunLoop;

// A timer on the current run loop. While scheduled it holds its target strongly, until it is
// invalidated or, if one-shot, has fired: the lifecycle of its owners relies on that.
class NSTimer final : public NSObject {
public:
    // The action is sent with the timer as its sender. The platform's userInfo is always nil here.
    static std::shared_ptr<NSTimer> scheduledTimerWithTimeInterval(TimeInterval, std::shared_ptr<NSObject> target, Selector action, bool repeats);
    ~NSTimer() override;

    std::string_view className() const override { return "NSTimer"; }

    void invalidate();
    bool isValid() const { return m_target != nullptr; }
    void fire();

    TimeInterval timeInterval() const { return m_timeInterval; }
    bool repeats() const { return m_repeats; }
    TimeInterval fireDate() const { return m_fireDate; }
    void setFireDate(TimeInterval date) { m_fireDate = date; }
    Selector selector() const { return m_selector; }

private:
    NSTimer(TimeInterval, std::shared_ptr<NSObject> target, Selector, bool repeats);

    TimeInterval m_timeInterval;
    TimeInterval m_fireDate { 0 };
    std::shared_ptr<NSObject> m_target; // Null once invalidated.
    Selector m_selector;
    bool m_repeats;
    RunLoop* m_runLoop { nullptr }; // Not owned; the run loop clears it by invalidating us.
};
