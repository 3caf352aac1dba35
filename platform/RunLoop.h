#pragma once

#include "platform/Clock.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class NSTimer;

// Everything that happens later on the one UI thread: timers and deferred calls (animation
// completions), in time order, ties in the order they were scheduled.
class RunLoop {
public:
    explicit RunLoop(std::unique_ptr<Clock>);
    ~RunLoop();

    Clock& clock() const { return *m_clock; }
    TimeInterval now() const { return m_clock->now(); }

    // Fires everything due at or before t, moving the clock to each fire time, then to t.
    void runUntil(TimeInterval t);
    void runFor(TimeInterval seconds) { runUntil(now() + seconds); }
    // When the next timer or deferred call is due; the window sleeps until then.
    std::optional<TimeInterval> nextFireTime() const;

    // The run loop holds a scheduled timer until it is invalidated or, if one-shot, has fired.
    void addTimer(std::shared_ptr<NSTimer>);
    void removeTimer(const NSTimer&);
    void performAt(TimeInterval, std::function<void()>);

    // Scheduled timers in fire order.
    std::vector<std::shared_ptr<NSTimer>> scheduledTimers() const;
    // Drops every pending timer and call, so what they hold is released.
    void removeAll();

private:
    struct Key {
        TimeInterval time;
        std::uint64_t sequence;
        bool operator<(const Key& other) const { return time < other.time || (time == other.time && sequence < other.sequence); }
    };
    struct Entry {
        std::shared_ptr<NSTimer> timer; // Null for a deferred call.
        std::function<void()> call;
    };

    Key nextKey(TimeInterval time) { return { time, m_nextSequence++ }; }
    void fire(Entry);

    std::unique_ptr<Clock> m_clock;
    std::map<Key, Entry> m_entries;
    std::uint64_t m_nextSequence { 0 };
};
