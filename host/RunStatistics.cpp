#include "host/RunStatistics.h"

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <sstream>

namespace orvessa {

void RunStatistics::begin(double now)
{
    if (!m_begin)
        m_begin = now;
}

void RunStatistics::startCounting(double now, std::uint64_t uiThreadDecodes)
{
    if (m_countingSince)
        return;
    m_countingSince = now;
    m_decodesBefore = uiThreadDecodes;
}

void RunStatistics::countTurn(double start, double end)
{
    if (m_countingSince && start >= *m_countingSince)
        m_longestTurn = std::max(m_longestTurn, end - start);
}

void RunStatistics::countFrame(double now, bool animating, double frameInterval)
{
    ++m_frames;
    if (m_countingSince && animating && m_lastPresent && now - *m_lastPresent > kLateIntervals * frameInterval)
        ++m_lateFrames;
    m_lastPresent = now;
}

void RunStatistics::countSlideStep()
{
    ++m_slideSteps;
}

RunStatistics::Figures RunStatistics::figures(double now, std::uint64_t uiThreadDecodes) const
{
    Figures figures;
    figures.seconds = m_begin ? now - *m_begin : 0;
    figures.framesDrawn = m_frames;
    figures.slideSteps = m_slideSteps;
    figures.longestStepMs = m_longestTurn * 1000;
    figures.lateFrames = m_lateFrames;
    figures.uiThreadDecodes = m_countingSince ? uiThreadDecodes - m_decodesBefore : 0;
    return figures;
}

std::string statisticsJson(const RunStatistics::Figures& figures)
{
    std::ostringstream out;
    out << std::fixed << "{\"seconds\": " << std::setprecision(3) << figures.seconds << ", \"framesDrawn\": " << figures.framesDrawn
        << ", \"slideSteps\": " << figures.slideSteps << ", \"longestStepMs\": " << std::setprecision(2) << figures.longestStepMs
        << ", \"lateFrames\": " << figures.lateFrames << ", \"uiThreadDecodes\": " << figures.uiThreadDecodes << "}";
    return out.str();
}

}
