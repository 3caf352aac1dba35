#include "platform/Clock.h"

SteadyClock::SteadyClock()
    : m_start(std::chrono::steady_clock::now())
    , m_startDate(std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count() - kReferenceDateSinceUnixEpoch)
{
}

TimeInterval SteadyClock::now() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
}

TimeInterval SteadyClock::dateNow() const
{
    return m_startDate + now();
}
