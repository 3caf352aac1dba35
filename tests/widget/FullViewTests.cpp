#include "WidgetTestSupport.h"

#include "platform/RunLoop.h"

TEST_F(WidgetTest, FullViewGeometryOnTheStandardRow)
{
    addPhotos(2);
    openPanel();
    OrvessaController& c = widget();
    EXPECT_EQ(c._picFrame->frame(), CGRectMake(5, 3, 306, 194));
    EXPECT_EQ(c._picFrame->autoresizingMask(), 2u);
    EXPECT_TRUE(c._picFrame->layer().masksToBounds);
    EXPECT_FLOAT_EQ(c._picFrame->layer().cornerRadius, 3);
    EXPECT_EQ(c._picFrame->contentMode(), UIViewContentModeScaleToFill);
    EXPECT_EQ(c._picFrame->superview(), c.view().get());
    EXPECT_EQ(c._twitterButton.lock()->frame().origin.x, 287);
    EXPECT_EQ(c._facebookButton.lock()->frame().origin.x, 287);
    EXPECT_TRUE(c.initalized);
    EXPECT_TRUE(c.playing);
    EXPECT_FALSE(c.transitioning);
    EXPECT_EQ(c.currentImage, 0);
    EXPECT_EQ(imagePathShown(), c.images->at(0));
}

TEST_F(WidgetTest, FullViewFollowsARowWidenedBeforeIt)
{
    addPhotos(1);
    makePanel().create();
    panel->placeholder();
    panel->resize(404);
    panel->full();
    OrvessaController& c = widget();
    EXPECT_EQ(c._backgroundView->frame().size.width, 400);
    EXPECT_EQ(c._picFrame->frame(), CGRectMake(5, 3, 394, 194));
    EXPECT_EQ(c._controlBar->frame(), CGRectMake(5, 153, 394, 44));
    EXPECT_EQ(c._twitterButton.lock()->frame().origin.x, 375);
}

TEST_F(WidgetTest, PictureFadesInWhileTheOverlayStaysHidden)
{
    addPhotos(1);
    openPanel();
    OrvessaController& c = widget();
    EXPECT_FLOAT_EQ(c._picFrame->alpha(), 1);
    EXPECT_FLOAT_EQ(c._picFrame->presentationAlpha(panel->now()), 0);
    panel->advance(0.25);
    EXPECT_NEAR(c._picFrame->presentationAlpha(panel->now()), 0.5f, 0.01f) << "ease-in-out is halfway at half time";
    panel->advance(0.25);
    EXPECT_FLOAT_EQ(c._picFrame->presentationAlpha(panel->now()), 1);
    EXPECT_FLOAT_EQ(c._controlBar->presentationAlpha(panel->now()), 0);
}

TEST_F(WidgetTest, PreserveAspectChoosesAspectFit)
{
    addPhotos(1);
    home.writePreferences("<key>preserveaspect</key><true/>");
    openPanel();
    EXPECT_EQ(widget()._picFrame->contentMode(), UIViewContentModeScaleAspectFit);
    panel.reset();
    home.writePreferences("<key>preserveaspect</key><false/>");
    openPanel();
    EXPECT_EQ(widget()._picFrame->contentMode(), UIViewContentModeScaleToFill);
}

TEST_F(WidgetTest, FallbackImageAloneStillStartsTheShow)
{
    openPanel();
    OrvessaController& c = widget();
    EXPECT_EQ(*c.images, std::vector<std::string> { "/System/Library/WeeAppPlugins/Orvessa.bundle/empty.png" });
    EXPECT_TRUE(c._picFrame->image()) << "the bundle's fallback picture";
    ASSERT_TRUE(c._nextTimer);
    EXPECT_DOUBLE_EQ(c._nextTimer->timeInterval(), 5.0);
}

TEST_F(WidgetTest, TimerIntervalIsTheSettingAtTheFirstAdvance)
{
    addPhotos(2);
    home.writePreferences("<key>SecondsPerSlide</key><integer>7</integer>");
    openPanel();
    auto timers = panel->context().runLoop().scheduledTimers();
    ASSERT_EQ(timers.size(), 1u);
    EXPECT_EQ(timers[0]->selector(), "nextanim:");
    EXPECT_TRUE(timers[0]->repeats());
    EXPECT_DOUBLE_EQ(timers[0]->timeInterval(), 7.0);
    EXPECT_DOUBLE_EQ(timers[0]->fireDate(), 7.0);
}

TEST_F(WidgetTest, RebuildAfterUnloadMakesExactlyOneOfEverythingAndRereadsTheFolders)
{
    addPhotos(2);
    openPanel();
    std::weak_ptr<UIBarButtonItem> oldBack = widget().back;
    panel->unload();
    addPhotos(3); // Overwrites the two and adds a third.
    panel->placeholder();
    panel->full();
    OrvessaController& c = widget();
    EXPECT_TRUE(oldBack.expired()) << "the earlier items are replaced and given up";
    EXPECT_EQ(c.images->size(), 3u);
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
    EXPECT_FLOAT_EQ(c._controlBar->alpha(), 0) << "the overlay starts hidden again";
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
