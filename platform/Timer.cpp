#include "platform/Timer.h"

#include "platform/Context.h"
#include "platform/RunLoop.h"

#include <utility>

// The platform's floor for a timer interval; a zero interval would spin.
static constexpr TimeInterval kMinimumInterval = 0.0001;

NSTimer::NSTimer(TimeInterval interval, std::shared_ptr<NSObject> target, Selector selector, bool repeats)
    : m_timeInterval(interval > kMinimumInterval ? interval : kMinimumInterval)
    , m_target(std::move(target))
    , m_selector(selector)
    , m_repeats(repeats)
{
}

NSTimer::~NSTimer() = default;

std::shared_ptr<NSTimer> NSTimer::scheduledTimerWithTimeInterval(TimeInterval interval, std::shared_ptr<NSObject> target, Selector action, bool repeats)
{
    std::shared_ptr<NSTimer> timer(new NSTimer(interval, std::move(target), action, repeats));
    RunLoop& runLoop = PlatformContext::current().runLoop();
    timer->m_runLoop = &runLoop;
    timer->m_fireDate = runLoop.now() + timer->m_timeInterval;
    runLoop.addTimer(timer);
    return timer;
}

void NSTimer::invalidate()
{
    if (!m_target)
        return;
    // NOTE: The target may be the last owner of this timer; keep both alive until we are done.
    auto protectedThis = weak_from_this().lock();
    auto target = std::move(m_target);
    m_target.reset();
    if (auto* runLoop = std::exchange(m_runLoop, nullptr))
        runLoop->removeTimer(*this);
}

void NSTimer::fire()
{
    if (!m_target)
        return;
    auto protectedThis = shared_from_this();
    std::shared_ptr<NSObject> target = m_target;
    // NOTE: One-shot timers invalidate before calling out, so the action may schedule again.
    if (!m_repeats)
        invalidate();
    m_selector.send(*target, this);
}
