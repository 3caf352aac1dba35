#include "platform/Object.h"
#include "platform/RunLoop.h"
#include "platform/Timer.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testing_support::TestPlatform;

namespace {

// Records each message it receives with the time it came.
class Recorder final : public NSObject {
public:
    static std::shared_ptr<Recorder> make(std::vector<std::string>& log) { return std::shared_ptr<Recorder>(new Recorder(log)); }
    void tick(NSObject* sender)
    {
        m_log.push_back("tick@" + std::to_string(PlatformContext::current().runLoop().now()));
        lastSender = sender;
        if (onTick)
            onTick();
    }
    void tock(NSObject*) { m_log.push_back("tock@" + std::to_string(PlatformContext::current().runLoop().now())); }
    NSObject* lastSender { nullptr };
    std::function<void()> onTick;

protected:
    const Selector* findMethod(std::string_view selector) const override;

private:
    explicit Recorder(std::vector<std::string>& log)
        : m_log(log)
    {
    }
    std::vector<std::string>& m_log;
};

constexpr Selector kTick = actionSelector<&Recorder::tick>("tick:");
constexpr Selector kTock = actionSelector<&Recorder::tock>("tock:");

const Selector* Recorder::findMethod(std::string_view selector) const
{
    static constexpr Selector methods[] { kTick, kTock };
    return lookUp(methods, selector);
}

// Answers no selector of its own.
class Bystander final : public NSObject {
public:
    static std::shared_ptr<Bystander> make() { return std::shared_ptr<Bystander>(new Bystander()); }

private:
    Bystander() = default;
};

}

TEST(RunLoop, FiresInTimeOrderWithTiesInSchedulingOrder)
{
    TestPlatform platform;
    std::vector<std::string> log;
    auto recorder = Recorder::make(log);
    NSTimer::scheduledTimerWithTimeInterval(2.0, recorder, kTock, false);
    NSTimer::scheduledTimerWithTimeInterval(1.0, recorder, kTick, false);
    NSTimer::scheduledTimerWithTimeInterval(2.0, recorder, kTick, false);
    platform.advance(2.5);
    EXPECT_EQ(log, (std::vector<std::string> { "tick@1.000000", "tock@2.000000", "tick@2.000000" }));
    EXPECT_DOUBLE_EQ(platform.now(), 2.5);
}

TEST(RunLoop, RepeatingTimerFiresEveryIntervalUntilInvalidated)
{
    TestPlatform platform;
    std::vector<std::string> log;
    auto recorder = Recorder::make(log);
    auto timer = NSTimer::scheduledTimerWithTimeInterval(2.0, recorder, kTick, true);
    platform.advance(6.5);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log.back(), "tick@6.000000");
    EXPECT_EQ(recorder->lastSender, timer.get());
    timer->invalidate();
    platform.advance(10);
    EXPECT_EQ(log.size(), 3u);
    EXPECT_FALSE(timer->isValid());
}

TEST(RunLoop, NothingFiresBeforeItsTime)
{
    TestPlatform platform;
    std::vector<std::string> log;
    auto recorder = Recorder::make(log);
    NSTimer::scheduledTimerWithTimeInterval(5.0, recorder, kTick, false);
    platform.advance(4.999);
    EXPECT_TRUE(log.empty());
    platform.advance(0.001);
    EXPECT_EQ(log.size(), 1u);
}

TEST(RunLoop, TimerKeepsTargetAliveUntilInvalidated)
{
    TestPlatform platform;
    std::vector<std::string> log;
    std::weak_ptr<Recorder> watched;
    std::shared_ptr<NSTimer> timer;
    {
        auto recorder = Recorder::make(log);
        watched = recorder;
        timer = NSTimer::scheduledTimerWithTimeInterval(1.0, recorder, kTick, true);
    }
    platform.advance(3.5);
    EXPECT_FALSE(watched.expired());
    EXPECT_EQ(log.size(), 3u);
    timer->invalidate();
    EXPECT_TRUE(watched.expired());
}

TEST(RunLoop, OneShotTimerReleasesTargetAfterFiring)
{
    TestPlatform platform;
    std::vector<std::string> log;
    std::weak_ptr<Recorder> watched;
    std::weak_ptr<NSTimer> watchedTimer;
    {
        auto recorder = Recorder::make(log);
        watched = recorder;
        watchedTimer = NSTimer::scheduledTimerWithTimeInterval(1.0, recorder, kTick, false);
    }
    platform.advance(0.5);
    EXPECT_FALSE(watched.expired());
    EXPECT_FALSE(watchedTimer.expired()) << "the run loop holds a scheduled timer";
    platform.advance(0.6);
    EXPECT_EQ(log.size(), 1u);
    EXPECT_TRUE(watched.expired());
    EXPECT_TRUE(watchedTimer.expired());
}

TEST(RunLoop, ActionMayScheduleAgainFromAOneShotTimer)
{
    TestPlatform platform;
    std::vector<std::string> log;
    auto recorder = Recorder::make(log);
    int rescheduled = 0;
    recorder->onTick = [&] {
        if (rescheduled++ < 2)
            NSTimer::scheduledTimerWithTimeInterval(1.0, recorder, kTick, false);
    };
    NSTimer::scheduledTimerWithTimeInterval(1.0, recorder, kTick, false);
    platform.advance(10);
    EXPECT_EQ(log, (std::vector<std::string> { "tick@1.000000", "tick@2.000000", "tick@3.000000" }));
    recorder->onTick = nullptr;
}

TEST(RunLoop, HeldBackRepeatingTimerSkipsMissedFires)
{
    TestPlatform platform;
    std::vector<std::string> log;
    auto recorder = Recorder::make(log);
    auto timer = NSTimer::scheduledTimerWithTimeInterval(1.0, recorder, kTick, true);
    // A long stall of the UI thread: the clock jumps, then the loop runs what is due.
    platform.context().runLoop().clock().advanceTo(3.5);
    platform.advance(0);
    EXPECT_EQ(log, (std::vector<std::string> { "tick@3.500000" }));
    EXPECT_DOUBLE_EQ(timer->fireDate(), 4.0);
    timer->invalidate();
}

TEST(RunLoop, TearingDownTheContextReleasesScheduledTargets)
{
    std::vector<std::string> log;
    std::weak_ptr<Recorder> watched;
    {
        TestPlatform platform;
        auto recorder = Recorder::make(log);
        watched = recorder;
        NSTimer::scheduledTimerWithTimeInterval(1.0, recorder, kTick, true);
    }
    EXPECT_TRUE(watched.expired());
}

TEST(RunLoop, UnknownSelectorIsAProgrammingError)
{
    TestPlatform platform;
    std::vector<std::string> log;
    auto recorder = Recorder::make(log);
    EXPECT_THROW(recorder->performSelector("nonsense:", nullptr), std::logic_error);
    EXPECT_TRUE(recorder->respondsToSelector("tick:"));
    EXPECT_FALSE(recorder->respondsToSelector("tick"));
    // A typed selector sent to an object of another class is refused, not run on the wrong type.
    auto bystander = Bystander::make();
    EXPECT_THROW(kTick.send(*bystander, nullptr), std::logic_error);
    EXPECT_THROW(Selector {}.send(*recorder, nullptr), std::logic_error);
    recorder->performSelector(kTock.name(), nullptr);
    ASSERT_EQ(log.size(), 1u) << "the table finds the same method by its text";
    EXPECT_EQ(log[0].substr(0, 5), "tock@");
}
