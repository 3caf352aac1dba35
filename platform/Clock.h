#pragma once

#include <chrono>

// Seconds, as double, like the platform's NSTimeInterval.
using TimeInterval = double;

// Seconds from 1 January 1970 to 1 January 2001 (UTC), the platform's reference date.
inline constexpr TimeInterval kReferenceDateSinceUnixEpoch = 978307200.0;

// The one source of time in a platform context. now() counts from the clock's own start;
// dateNow() is the wall date in seconds since the reference date.
class Clock {
public:
    virtual ~Clock() = default;
    virtual TimeInterval now() const = 0;
    virtual TimeInterval dateNow() const = 0;
    // Moves time forward to t where the clock can be moved; a real clock ignores it.
    virtual void advanceTo(TimeInterval t) = 0;
};

// Time that moves only when told to: tests, scripts and recordings.
class VirtualClock final : public Clock {
public:
    // startDate: the wall date at time 0, in seconds since the reference date. The default is
    // 2026-01-01 00:00:00 UTC, fixed so that recordings are repeatable.
    explicit VirtualClock(TimeInterval startDate = 788918400.0)
        : m_startDate(startDate)
    {
    }
    TimeInterval now() const override { return m_now; }
    TimeInterval dateNow() const override { return m_startDate + m_now; }
    // NOTE: Time never runs backwards; an earlier t is ignored.
    void advanceTo(TimeInterval t) override
    {
        if (t > m_now)
            m_now = t;
    }

private:
    TimeInterval m_startDate;
    TimeInterval m_now { 0 };
};

// The machine's steady clock, for the desktop window.
class SteadyClock final : public Clock {
public:
    SteadyClock();
    TimeInterval now() const override;
    TimeInterval dateNow() const override;
    void advanceTo(TimeInterval) override { }

private:
    std::chrono::steady_clock::time_point m_start;
    TimeInterval m_startDate;
};
