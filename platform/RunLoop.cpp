#include "platform/RunLoop.h"

#include "platform/Timer.h"

RunLoop::RunLoop(std::unique_ptr<Clock> clock)
    : m_clock(std::move(clock))
{
}

RunLoop::~RunLoop()
{
    removeAll();
}

void RunLoop::runUntil(TimeInterval t)
{
    while (!m_entries.empty()) {
        auto first = m_entries.begin();
        TimeInterval due = first->first.time;
        if (due > t)
            break;
        m_clock->advanceTo(due);
        // A real clock cannot be moved: only what is already due may fire.
        if (due > now())
            break;
        Entry entry = std::move(first->second);
        m_entries.erase(first);
        fire(std::move(entry));
    }
    m_clock->advanceTo(t);
}

void RunLoop::fire(Entry entry)
{
    if (!entry.timer) {
        entry.call();
        return;
    }
    // The entry held the run loop's reference; the timer must outlive its own action.
    std::shared_ptr<NSTimer> protectedTimer = std::move(entry.timer);
    if (protectedTimer->repeats()) {
        TimeInterval next = protectedTimer->fireDate() + protectedTimer->timeInterval();
        // A repeating timer that was held back skips the fires it missed, as the platform's does.
        while (next <= now())
            next += protectedTimer->timeInterval();
        protectedTimer->setFireDate(next);
        m_entries.emplace(nextKey(next), Entry { protectedTimer, {} });
    }
    protectedTimer->fire();
}

std::optional<TimeInterval> RunLoop::nextFireTime() const
{
    if (m_entries.empty())
        return std::nullopt;
    return m_entries.begin()->first.time;
}

void RunLoop::addTimer(std::shared_ptr<NSTimer> timer)
{
    TimeInterval when = timer->fireDate();
    m_entries.emplace(nextKey(when), Entry { std::move(timer), {} });
}

void RunLoop::removeTimer(const NSTimer& timer)
{
    std::erase_if(m_entries, [&](const auto& item) { return item.second.timer.get() == &timer; });
}

void RunLoop::performAt(TimeInterval when, std::function<void()> call)
{
    m_entries.emplace(nextKey(when), Entry { nullptr, std::move(call) });
}

std::vector<std::shared_ptr<NSTimer>> RunLoop::scheduledTimers() const
{
    std::vector<std::shared_ptr<NSTimer>> timers;
    for (const auto& [key, entry] : m_entries) {
        if (entry.timer)
            timers.push_back(entry.timer);
    }
    return timers;
}

void RunLoop::removeAll()
{
    // Releasing an entry may run destructors that touch the run loop: move the entries out first.
    while (!m_entries.empty()) {
        auto entries = std::move(m_entries);
        m_entries.clear();
        for (auto& [key, entry] : entries) {
            if (entry.timer)
                entry.timer->invalidate();
        }
        entries.clear();
    }
}
