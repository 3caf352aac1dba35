#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orvessa {

// Frame-timing figures of a run in the desktop window, counted from the first frame of the opened
// panel: how long the longest turn of the UI loop took, how many frames of a running animation came
// late, how many pictures the UI thread decoded. Times are the panel's clock, in seconds.
class RunStatistics {
public:
    // Frames of a running animation presented more than this many display intervals after the one
    // before are late.
    static constexpr double kLateIntervals = 1.5;

    // The run began (the panel was asked to open).
    void begin(double now);
    // The first frame of the opened panel was presented; what follows counts.
    void startCounting(double now, std::uint64_t uiThreadDecodes);
    bool isCounting() const { return m_countingSince.has_value(); }

    // One turn of the UI loop (events handled, timers fired, a frame drawn) that began at `start`.
    void countTurn(double start, double end);
    // A frame presented at `now`; `animating` when the frame before showed an animation under way.
    void countFrame(double now, bool animating, double frameInterval);
    void countSlideStep();

    struct Figures {
        double seconds { 0 };
        std::uint64_t framesDrawn { 0 };
        std::uint64_t slideSteps { 0 };
        double longestStepMs { 0 };
        std::uint64_t lateFrames { 0 };
        std::uint64_t uiThreadDecodes { 0 };
    };
    Figures figures(double now, std::uint64_t uiThreadDecodes) const;

private:
    std::optional<double> m_begin;
    std::optional<double> m_countingSince;
    std::uint64_t m_decodesBefore { 0 };
    std::optional<double> m_lastPresent;
    std::uint64_t m_frames { 0 };
    std::uint64_t m_slideSteps { 0 };
    double m_longestTurn { 0 };
    std::uint64_t m_lateFrames { 0 };
};

// One line of JSON: {"seconds": S, "framesDrawn": N, "slideSteps": K, "longestStepMs": X,
// "lateFrames": L, "uiThreadDecodes": D}.
std::string statisticsJson(const RunStatistics::Figures&);

}
