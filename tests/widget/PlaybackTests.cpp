#include "WidgetTestSupport.h"

#include "platform/RunLoop.h"

namespace {

struct Playback : WidgetTest {
    void open(int photos, const std::string& preferences = "")
    {
        addPhotos(photos);
        if (!preferences.empty())
            home.writePreferences(preferences);
        openPanel();
    }
    std::string path(int index) { return widget().imageList()->at(std::size_t(index)); }
    std::vector<std::string> timerActions()
    {
        std::vector<std::string> actions;
        for (auto& timer : panel->context().runLoop().scheduledTimers())
            actions.emplace_back(timer->selector().name());
        return actions;
    }
    std::string slot() { return std::string(systemItemName(widget().controlBarItems()->at(2)->systemItem())); }
};

}

TEST_F(Playback, FirstAdvanceComesOneIntervalAfterFullView)
{
    open(3);
    panel->advance(4.99);
    EXPECT_EQ(widget().currentImageIndex(), 0);
    EXPECT_FALSE(widget().isTransitioning());
    panel->advance(0.02);
    EXPECT_EQ(widget().currentImageIndex(), 1);
    EXPECT_TRUE(widget().isTransitioning());
    EXPECT_TRUE(widget().picFrame()->intermediateTransitionView()) << "a cross-fade, not a plain set";
    EXPECT_EQ(widget().picFrame()->intermediateTransitionView()->image()->path(), path(1));
}

TEST_F(Playback, AdvancesEveryIntervalWithAOneSecondLockAtTheMinimum)
{
    open(3, "<key>SecondsPerSlide</key><integer>1</integer>");
    EXPECT_FLOAT_EQ(widget().slideInterval(), 2.0f);
    std::vector<int> seen;
    auto& runLoop = panel->context().runLoop();
    for (int step = 1; step <= 4; ++step) {
        runLoop.runUntil(2.0 * step);
        EXPECT_TRUE(widget().isTransitioning()) << step;
        seen.push_back(widget().currentImageIndex());
        runLoop.runUntil(2.0 * step + 0.999);
        EXPECT_TRUE(widget().isTransitioning());
        runLoop.runUntil(2.0 * step + 1.001);
        EXPECT_FALSE(widget().isTransitioning());
        EXPECT_EQ(imagePathShown(), path(widget().currentImageIndex())) << "the fade has ended on the new photo";
    }
    EXPECT_EQ(seen, (std::vector<int> { 1, 2, 0, 1 })) << "wraps around to the start";
}

TEST_F(Playback, ManualStepsAreIgnoredDuringTheLockAndWorkAfterIt)
{
    open(4);
    panel->advance(5.5);
    ASSERT_TRUE(widget().isTransitioning());
    widget().next(nullptr);
    widget().prev(nullptr);
    EXPECT_EQ(widget().currentImageIndex(), 1);
    std::vector<std::string> before = timerActions();
    EXPECT_EQ(before, (std::vector<std::string> { "resetTransitionBOOL:", "nextanim:" }));
    panel->advance(0.6);
    EXPECT_FALSE(widget().isTransitioning());
    widget().next(nullptr);
    EXPECT_EQ(widget().currentImageIndex(), 2);
    EXPECT_EQ(imagePathShown(), path(2)) << "at once, without a cross-fade";
    EXPECT_FALSE(widget().picFrame()->intermediateTransitionView());
}

TEST_F(Playback, ManualStepRestartsTheTimerForAFullInterval)
{
    open(4);
    panel->advance(3.0);
    widget().next(nullptr);
    ASSERT_EQ(widget().currentImageIndex(), 1);
    auto timers = panel->context().runLoop().scheduledTimers();
    ASSERT_EQ(timers.size(), 1u);
    EXPECT_DOUBLE_EQ(timers[0]->fireDate(), 8.0);
    panel->advance(4.99);
    EXPECT_EQ(widget().currentImageIndex(), 1) << "not on the old schedule at 5.0";
    panel->advance(0.02);
    EXPECT_EQ(widget().currentImageIndex(), 2);
}

TEST_F(Playback, WrapAroundBothWays)
{
    open(3);
    widget().prev(nullptr);
    EXPECT_EQ(widget().currentImageIndex(), 2);
    EXPECT_EQ(imagePathShown(), path(2));
    widget().next(nullptr);
    EXPECT_EQ(widget().currentImageIndex(), 0);
    widget().prev(nullptr);
    ASSERT_EQ(widget().currentImageIndex(), 2);
    panel->advance(5.0);
    EXPECT_EQ(widget().currentImageIndex(), 0) << "the automatic advance wraps too";
}

TEST_F(Playback, OneEntryListStaysAtZeroAndFadesIntoItself)
{
    open(1);
    widget().next(nullptr);
    EXPECT_EQ(widget().currentImageIndex(), 0);
    widget().prev(nullptr);
    EXPECT_EQ(widget().currentImageIndex(), 0);
    EXPECT_EQ(imagePathShown(), path(0));
    panel->advance(5.0);
    EXPECT_EQ(widget().currentImageIndex(), 0);
    EXPECT_TRUE(widget().isTransitioning());
    panel->advance(1.0);
    EXPECT_FALSE(widget().isTransitioning());
    EXPECT_EQ(imagePathShown(), path(0));
}

TEST_F(Playback, PauseStopsTheTimerAndSwapsTheSlot)
{
    open(3);
    EXPECT_EQ(slot(), "pause");
    std::weak_ptr<NSTimer> timer = widget().nextTimer();
    widget().pauseAction(nullptr);
    EXPECT_FALSE(widget().isPlaying());
    EXPECT_EQ(widget().nextTimer(), nullptr);
    EXPECT_TRUE(timer.expired());
    EXPECT_EQ(slot(), "play");
    EXPECT_EQ(widget().controlBar()->items(), *widget().controlBarItems());
    panel->advance(20);
    EXPECT_EQ(widget().currentImageIndex(), 0);

    widget().next(nullptr);
    EXPECT_EQ(widget().currentImageIndex(), 1) << "steps by hand while paused";
    EXPECT_TRUE(panel->context().runLoop().scheduledTimers().empty()) << "and starts no timer";
    EXPECT_EQ(slot(), "play");
}

TEST_F(Playback, PauseDuringAFadeLetsItFinishAndTheLockClear)
{
    open(3);
    panel->advance(5.2);
    widget().pauseAction(nullptr);
    EXPECT_TRUE(widget().isTransitioning());
    panel->advance(0.81);
    EXPECT_FALSE(widget().isTransitioning()) << "cleared 1.0 s after the advance began";
    EXPECT_EQ(imagePathShown(), path(1));
    panel->advance(30);
    EXPECT_EQ(widget().currentImageIndex(), 1) << "no further advance";
}

TEST_F(Playback, PlayAfterPauseWaitsAFullIntervalAndLeavesThePhoto)
{
    open(3);
    panel->advance(2);
    widget().pauseAction(nullptr);
    panel->advance(1);
    widget().playAction(nullptr);
    EXPECT_TRUE(widget().isPlaying());
    EXPECT_EQ(slot(), "pause");
    EXPECT_EQ(widget().currentImageIndex(), 0);
    panel->advance(4.99);
    EXPECT_EQ(widget().currentImageIndex(), 0);
    panel->advance(0.02);
    EXPECT_EQ(widget().currentImageIndex(), 1);
}

TEST_F(Playback, PlayAndPauseOutOfTurnAreHarmless)
{
    open(3);
    widget().playAction(nullptr);
    EXPECT_EQ(timerActions(), (std::vector<std::string> { "nextanim:" })) << "no second timer";
    EXPECT_EQ(slot(), "pause");
    widget().pauseAction(nullptr);
    widget().pauseAction(nullptr);
    EXPECT_FALSE(widget().isPlaying());
    EXPECT_EQ(slot(), "play");
    EXPECT_TRUE(timerActions().empty());
}

TEST_F(Playback, UnloadDuringAFadeStillClearsTheLockOnTime)
{
    open(3);
    panel->advance(5.3);
    std::weak_ptr<OrvessaController> watched = widgetPointer();
    panel->unload();
    panel->destroy();
    EXPECT_FALSE(watched.expired());
    EXPECT_TRUE(watched.lock()->isTransitioning());
    panel->advance(0.69);
    ASSERT_FALSE(watched.expired());
    EXPECT_TRUE(watched.lock()->isTransitioning());
    panel->advance(0.02);
    EXPECT_TRUE(watched.expired()) << "the lock release was the last holder";
}

TEST_F(Playback, UnreadablePhotoShowsAnEmptyFrameAndTheShowGoesOn)
{
    home.write(testing_support::inCameraRoll("A.JPG"), std::string("this is text"));
    home.addPhoto("B.JPG");
    openPanel();
    int broken = widget().imageList()->at(0).ends_with("A.JPG") ? 0 : 1;
    if (broken == 0)
        widget().next(nullptr); // Stand just before the broken photo.
    widget().next(nullptr);
    EXPECT_EQ(widget().currentImageIndex(), broken);
    EXPECT_EQ(widget().picFrame()->image(), nullptr);
    widget().next(nullptr);
    EXPECT_NE(widget().picFrame()->image(), nullptr);
}
