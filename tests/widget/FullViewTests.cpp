#include "WidgetTestSupport.h"

#include "platform/RunLoop.h"

TEST_F(WidgetTest, FullViewGeometryOnTheStandardRow)
{
    addPhotos(2);
    openPanel();
    OrvessaController& c = widget();
    EXPECT_EQ(c.picFrame()->frame(), CGRectMake(5, 3, 306, 194));
    EXPECT_EQ(c.picFrame()->autoresizingMask(), 2u);
    EXPECT_TRUE(c.picFrame()->layer().masksToBounds);
    EXPECT_FLOAT_EQ(c.picFrame()->layer().cornerRadius, 3);
    EXPECT_EQ(c.picFrame()->contentMode(), UIViewContentModeScaleToFill);
    EXPECT_EQ(c.picFrame()->superview(), c.view().get());
    EXPECT_EQ(c.twitterButton()->frame().origin.x, 287);
    EXPECT_EQ(c.facebookButton()->frame().origin.x, 287);
    EXPECT_TRUE(c.isInitalized());
    EXPECT_TRUE(c.isPlaying());
    EXPECT_FALSE(c.isTransitioning());
    EXPECT_EQ(c.currentImageIndex(), 0);
    EXPECT_EQ(imagePathShown(), c.imageList()->at(0));
}

TEST_F(WidgetTest, FullViewFollowsARowWidenedBeforeIt)
{
    addPhotos(1);
    makePanel().create();
    panel->placeholder();
    panel->resize(404);
    panel->full();
    OrvessaController& c = widget();
    EXPECT_EQ(c.backgroundView()->frame().size.width, 400);
    EXPECT_EQ(c.picFrame()->frame(), CGRectMake(5, 3, 394, 194));
    EXPECT_EQ(c.controlBar()->frame(), CGRectMake(5, 153, 394, 44));
    EXPECT_EQ(c.twitterButton()->frame().origin.x, 375);
}

TEST_F(WidgetTest, PictureFadesInWhileTheOverlayStaysHidden)
{
    addPhotos(1);
    openPanel();
    OrvessaController& c = widget();
    EXPECT_FLOAT_EQ(c.picFrame()->alpha(), 1);
    EXPECT_FLOAT_EQ(c.picFrame()->presentationAlpha(panel->now()), 0);
    panel->advance(0.25);
    EXPECT_NEAR(c.picFrame()->presentationAlpha(panel->now()), 0.5f, 0.01f) << "ease-in-out is halfway at half time";
    panel->advance(0.25);
    EXPECT_FLOAT_EQ(c.picFrame()->presentationAlpha(panel->now()), 1);
    EXPECT_FLOAT_EQ(c.controlBar()->presentationAlpha(panel->now()), 0);
}

TEST_F(WidgetTest, PreserveAspectChoosesAspectFit)
{
    addPhotos(1);
    home.writePreferences("<key>preserveaspect</key><true/>");
    openPanel();
    EXPECT_EQ(widget().picFrame()->contentMode(), UIViewContentModeScaleAspectFit);
    panel.reset();
    home.writePreferences("<key>preserveaspect</key><false/>");
    openPanel();
    EXPECT_EQ(widget().picFrame()->contentMode(), UIViewContentModeScaleToFill);
}

TEST_F(WidgetTest, FallbackImageAloneStillStartsTheShow)
{
    openPanel();
    OrvessaController& c = widget();
    EXPECT_EQ(c.imageList()->paths(), std::vector<std::string> { "/System/Library/WeeAppPlugins/Orvessa.bundle/empty.png" });
    EXPECT_TRUE(c.picFrame()->image()) << "the bundle's fallback picture";
    ASSERT_TRUE(c.nextTimer());
    EXPECT_DOUBLE_EQ(c.nextTimer()->timeInterval(), 5.0);
}

TEST_F(WidgetTest, TimerIntervalIsTheSettingAtTheFirstAdvance)
{
    addPhotos(2);
    home.writePreferences("<key>SecondsPerSlide</key><integer>7</integer>");
    openPanel();
    auto timers = panel->context().runLoop().scheduledTimers();
    ASSERT_EQ(timers.size(), 1u);
    EXPECT_EQ(timers[0]->selector(), kNextAnimSelector);
    EXPECT_EQ(timers[0]->selector().name(), "nextanim:");
    EXPECT_TRUE(timers[0]->repeats());
    EXPECT_DOUBLE_EQ(timers[0]->timeInterval(), 7.0);
    EXPECT_DOUBLE_EQ(timers[0]->fireDate(), 7.0);
}

TEST_F(WidgetTest, RebuildAfterUnloadMakesExactlyOneOfEverythingAndRereadsTheFolders)
{
    addPhotos(2);
    openPanel();
    std::weak_ptr<UIBarButtonItem> oldBack = widget().backItem();
    panel->unload();
    addPhotos(3); // Overwrites the two and adds a third.
    panel->placeholder();
    panel->full();
    OrvessaController& c = widget();
    EXPECT_TRUE(oldBack.expired()) << "the earlier items are replaced and given up";
    EXPECT_EQ(c.imageList()->size(), 3u);
    int frames = 0, bars = 0, buttons = 0;
    for (auto& view : c.view()->subviews()) {
        frames += view->className() == "TransitionImageView";
        bars += view->className() == "UIToolbar";
        buttons += view->className() == "UIButton";
    }
    EXPECT_EQ(frames, 1);
    EXPECT_EQ(bars, 1);
    EXPECT_EQ(buttons, 3);
    EXPECT_EQ(panel->context().runLoop().scheduledTimers().size(), 1u);
    EXPECT_FLOAT_EQ(c.controlBar()->alpha(), 0) << "the overlay starts hidden again";
}

TEST_F(WidgetTest, SecondFullViewWithoutUnloadLeavesOneTimerRunning)
{
    addPhotos(2);
    openPanel();
    panel->full();
    EXPECT_EQ(panel->context().runLoop().scheduledTimers().size(), 1u);
    std::weak_ptr<OrvessaController> watched = widgetPointer();
    panel->unload();
    panel->destroy();
    EXPECT_TRUE(watched.expired()) << "no orphaned timer keeps the controller alive";
}
