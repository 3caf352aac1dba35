#include "host/RunStatistics.h"

#include <gtest/gtest.h>

namespace {

using orvessa::RunStatistics;

constexpr double kInterval = 1.0 / 60;

TEST(RunStatistics, CountsFromTheFirstFrameOfTheOpenedPanel)
{
    RunStatistics statistics;
    statistics.begin(10.0);
    // Building the panel and its first frame: slow, and not counted.
    statistics.countTurn(10.0, 10.4);
    statistics.countFrame(10.4, false, kInterval);
    statistics.startCounting(10.4, 7);
    statistics.startCounting(11.0, 9); // Only the first frame starts the count.
    statistics.countTurn(10.4, 10.41);
    statistics.countTurn(10.5, 10.52);
    statistics.countSlideStep();
    auto figures = statistics.figures(12.5, 10);
    EXPECT_DOUBLE_EQ(figures.seconds, 2.5);
    EXPECT_EQ(figures.framesDrawn, 1u);
    EXPECT_EQ(figures.slideSteps, 1u);
    EXPECT_NEAR(figures.longestStepMs, 20.0, 1e-6);
    EXPECT_EQ(figures.uiThreadDecodes, 3u);
}

TEST(RunStatistics, LateFramesAreThoseOfARunningAnimationShownMoreThanOneAndAHalfIntervalsApart)
{
    RunStatistics statistics;
    statistics.begin(0);
    statistics.countFrame(0, false, kInterval);
    statistics.startCounting(0, 0);
    double t = 0;
    for (double gap : { 1.0, 1.4, 1.6, 3.0, 1.0 }) {
        t += gap * kInterval;
        statistics.countFrame(t, true, kInterval);
    }
    // A frame after the picture stood still is not late, however long it stood.
    statistics.countFrame(t + 5, false, kInterval);
    auto figures = statistics.figures(t + 5, 0);
    EXPECT_EQ(figures.lateFrames, 2u);
    EXPECT_EQ(figures.framesDrawn, 7u);
}

TEST(RunStatistics, JsonIsOneObjectWithEveryFigure)
{
    RunStatistics::Figures figures { 20.0049, 1234, 9, 12.345, 2, 0 };
    EXPECT_EQ(orvessa::statisticsJson(figures),
        R"({"seconds": 20.005, "framesDrawn": 1234, "slideSteps": 9, "longestStepMs": 12.35, "lateFrames": 2, "uiThreadDecodes": 0})");
}

}
