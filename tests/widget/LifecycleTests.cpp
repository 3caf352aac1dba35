#include "WidgetTestSupport.h"

#include "platform/Application.h"
#include "platform/Device.h"
#include "platform/RunLoop.h"
#include "platform/Runtime.h"
#include "tools/pictures/Png.h"

using testing_support::TempFolder;

namespace {

// Resources whose row background has the given size, to check the stretch caps.
orvessa::HostOptions optionsWithBackground(const TempFolder& resources, const std::filesystem::path& home, int width, int height)
{
    resources.write("StocksWeeApp.bundle/WeeAppBackground.png", pictures::encodePng(pictures::paint(width, height, pictures::solid({ 30, 30, 30 }))));
    std::filesystem::create_directories(resources.path() / "Orvessa.bundle");
    auto options = testing_support::panelOptions(home);
    options.resourcesFolder = resources.path();
    return options;
}

}

TEST_F(WidgetTest, CreationSetsNoFieldAndHeightIsAlways200)
{
    makePanel().create();
    OrvessaController& c = widget();
    EXPECT_EQ(c.view(), nullptr);
    EXPECT_FALSE(c.isInitalized());
    EXPECT_FALSE(c.isPlaying());
    EXPECT_FALSE(c.isTransitioning());
    EXPECT_EQ(c.currentImageIndex(), 0);
    EXPECT_EQ(c.slideInterval(), 0.0f);
    EXPECT_FALSE(c.imageList());
    EXPECT_EQ(c.nextTimer(), nullptr);
    EXPECT_FLOAT_EQ(c.viewHeight(), 200.0f);
    panel->placeholder();
    EXPECT_FLOAT_EQ(c.viewHeight(), 200.0f);
    panel->unload();
    EXPECT_FLOAT_EQ(c.viewHeight(), 200.0f);
    EXPECT_EQ(c.view(), nullptr);
}

TEST_F(WidgetTest, PlaceholderRowIsTheRootWithTheBackgroundInset)
{
    makePanel().create();
    panel->placeholder();
    OrvessaController& c = widget();
    ASSERT_TRUE(c.view());
    EXPECT_EQ(c.view()->bounds(), CGRectMake(0, 0, 316, 200));
    EXPECT_EQ(c.view()->autoresizingMask(), 2u);
    ASSERT_EQ(c.view()->subviews().size(), 1u);
    EXPECT_EQ(c.view()->subviews()[0], c.backgroundView());
    EXPECT_EQ(c.backgroundView()->frame(), CGRectMake(2, 0, 312, 200));
    EXPECT_EQ(c.backgroundView()->autoresizingMask(), 2u);
    EXPECT_FALSE(c.isInitalized());
    // The built background is stretchable at its middle.
    ASSERT_TRUE(c.backgroundView()->image());
    EXPECT_EQ(c.backgroundView()->image()->leftCapWidth(), 20);
    EXPECT_EQ(c.backgroundView()->image()->topCapHeight(), 15);
    // The host places the row at (2, 20) in its window.
    EXPECT_EQ(c.view()->frame().origin, (CGPoint { 2, 20 }));
    EXPECT_EQ(c.view()->window(), &panel->window());
}

TEST_F(WidgetTest, BackgroundCapsAreHalfTheSizeRoundedDown)
{
    for (auto [width, height] : { std::pair { 40, 30 }, std::pair { 41, 31 } }) {
        TempFolder resources;
        makePanel(optionsWithBackground(resources, home.path(), width, height)).create();
        panel->placeholder();
        auto image = widget().backgroundView()->image();
        ASSERT_TRUE(image);
        EXPECT_EQ(image->leftCapWidth(), 20) << width;
        EXPECT_EQ(image->topCapHeight(), 15) << height;
        panel.reset();
    }
}

TEST_F(WidgetTest, MissingBackgroundStillGivesAFramedFlexibleBackgroundView)
{
    TempFolder resources;
    std::filesystem::create_directories(resources.path() / "Orvessa.bundle");
    resources.write("StocksWeeApp.bundle/WeeAppBackground.png", std::string("not a picture"));
    auto options = testing_support::panelOptions(home.path());
    options.resourcesFolder = resources.path();
    makePanel(options).create();
    panel->placeholder();
    OrvessaController& c = widget();
    ASSERT_TRUE(c.backgroundView());
    EXPECT_EQ(c.backgroundView()->image(), nullptr);
    EXPECT_EQ(c.backgroundView()->frame(), CGRectMake(2, 0, 312, 200));
    EXPECT_EQ(c.backgroundView()->autoresizingMask(), 2u);
    EXPECT_EQ(c.view()->subviews().size(), 1u);
}

TEST_F(WidgetTest, RowWidthChangesKeepTheBackgroundMargins)
{
    makePanel().create();
    panel->placeholder();
    panel->resize(404);
    EXPECT_EQ(widget().backgroundView()->frame(), CGRectMake(2, 0, 400, 200));
    panel->resize(316);
    EXPECT_EQ(widget().backgroundView()->frame(), CGRectMake(2, 0, 312, 200));
}

TEST_F(WidgetTest, SqueezingTheRowBelowTheMarginsAndBackRestoresTheLayout)
{
    addPhotos(1);
    openPanel();
    OrvessaController& c = widget();
    panel->resize(3);
    EXPECT_EQ(c.backgroundView()->frame().size.width, 0);
    EXPECT_EQ(c.picFrame()->frame().size.width, 0);
    panel->resize(316);
    EXPECT_EQ(c.backgroundView()->frame(), CGRectMake(2, 0, 312, 200));
    EXPECT_EQ(c.picFrame()->frame(), CGRectMake(5, 3, 306, 194)) << "the picture frame stays inside the row";
    EXPECT_EQ(c.controlBar()->frame(), CGRectMake(5, 153, 306, 44));
}

TEST(VersionGate, EveryVersionCreatesTheSameControllerAndNewerOnesAreToldOnce)
{
    struct Case {
        const char* version;
        bool gated;
    };
    for (auto [version, gated] : { Case { "5.1.1", false }, Case { "7.1.2", false }, Case { "8.0", true }, Case { "10.3", true }, Case { "beta", false }, Case { "", false } }) {
        testing_support::TestPlatform platform({}, version);
        auto controller = OrvessaController::init();
        ASSERT_TRUE(controller) << version;
        EXPECT_FALSE(controller->isInitalized());
        EXPECT_EQ(controller->view(), nullptr);
        EXPECT_EQ(platform.log().size(), gated ? 1u : 0u) << version;
        if (gated) {
            EXPECT_NE(platform.log()[0].find(version), std::string::npos);
        }
    }
}

TEST_F(WidgetTest, UnloadGivesUpOnlyWhatExists)
{
    makePanel().create();
    widget().unloadView(); // Before any load.
    panel->placeholder();
    std::weak_ptr<UIView> root = widget().view();
    std::weak_ptr<UIImageView> background = widget().backgroundView();
    panel->unload();
    EXPECT_TRUE(root.expired());
    EXPECT_TRUE(background.expired());
    EXPECT_FALSE(widget().isPlaying());
    EXPECT_FALSE(widget().isInitalized());
    panel->unload(); // Twice: nothing more happens.
    EXPECT_EQ(widget().view(), nullptr);
}

TEST_F(WidgetTest, UnloadWhilePlayingStopsTheTimerAndKeepsTheFlagsAsTheyWere)
{
    addPhotos(2);
    openPanel();
    std::weak_ptr<NSTimer> timer = widget().nextTimer();
    ASSERT_FALSE(timer.expired());
    panel->advance(5.2); // Mid cross-fade: the lock is held.
    ASSERT_TRUE(widget().isTransitioning());
    panel->unload();
    OrvessaController& c = widget();
    EXPECT_FALSE(c.isPlaying());
    EXPECT_EQ(c.nextTimer(), nullptr);
    EXPECT_TRUE(timer.expired());
    EXPECT_TRUE(c.isInitalized());
    EXPECT_TRUE(c.isTransitioning());
    EXPECT_FALSE(c.imageList());
    EXPECT_FALSE(c.picFrame());
    EXPECT_FALSE(c.controlBar());
    EXPECT_FALSE(c.controlBarItems());
    EXPECT_TRUE(c.backItem() && c.forwardItem() && c.playItem() && c.pauseItem()) << "the items stay with the controller";
    EXPECT_FALSE(c.infoButton()) << "the buttons went with the root view";
    panel->placeholder();
    EXPECT_FALSE(c.isInitalized());
}

TEST_F(WidgetTest, UnloadStopsTheTimerAfterASecondPlaceholderRow)
{
    addPhotos(2);
    openPanel();
    panel->placeholder(); // Out of the host's order: the new row clears initalized while the timer runs.
    ASSERT_FALSE(widget().isInitalized());
    ASSERT_TRUE(widget().isPlaying());
    std::weak_ptr<OrvessaController> watched = widgetPointer();
    panel->unload();
    EXPECT_FALSE(widget().isPlaying());
    EXPECT_EQ(widget().nextTimer(), nullptr);
    EXPECT_TRUE(panel->context().runLoop().scheduledTimers().empty());
    panel->destroy();
    EXPECT_TRUE(watched.expired()) << "no timer keeps the controller alive";
}

TEST_F(WidgetTest, FullViewWithoutARowReplacesTheEarlierBarSoTheSlotFollowsPlaying)
{
    addPhotos(2);
    openPanel();
    widget().pauseAction(nullptr);
    panel->placeholder(); // Out of the host's order: initalized is cleared, so unload keeps the bar.
    panel->unload();
    panel->full(); // And a full view with no row to put it in.
    OrvessaController& c = widget();
    ASSERT_TRUE(c.isPlaying());
    ASSERT_TRUE(c.controlBarItems() && c.controlBar());
    EXPECT_EQ(c.controlBarItems()->at(2), c.pauseItem());
    EXPECT_EQ(c.controlBar()->items(), *c.controlBarItems());
    EXPECT_EQ(c.controlBar()->superview(), nullptr);
}

TEST_F(WidgetTest, TeardownLeavesNoLiveObjects)
{
    addPhotos(3);
    std::size_t before = NSObject::liveObjectCount();
    {
        orvessa::Panel& p = openPanel();
        p.advance(5.5);
        p.tap({ 150, 100 });
        p.advance(0.2);
        std::weak_ptr<OrvessaController> watched = widgetPointer();
        p.unload();
        p.destroy();
        EXPECT_FALSE(watched.expired()) << "the pending lock release holds the controller";
        p.advance(1.0);
        EXPECT_TRUE(watched.expired());
        panel.reset();
    }
    EXPECT_EQ(NSObject::liveObjectCount(), before);
}

TEST_F(WidgetTest, DestroyWhilePlayingWaitsForTheHostToClose)
{
    addPhotos(2);
    openPanel();
    std::weak_ptr<OrvessaController> watched = widgetPointer();
    panel->destroy();
    EXPECT_FALSE(watched.expired()) << "the auto-advance timer holds the controller while it plays";
    panel->unload(); // No widget any more: the host has nothing to tell.
    panel.reset();
    EXPECT_TRUE(watched.expired()) << "quitting the panel releases everything";
}

TEST_F(WidgetTest, ClassInitialisationKeepsTheBundleForTheRuntimesLife)
{
    makePanel().create();
    Runtime::Class* cls = panel->context().runtime().objc_getClass("OrvessaController");
    ASSERT_TRUE(cls);
    ASSERT_EQ(cls->heldForever.size(), 1u);
    auto bundle = std::dynamic_pointer_cast<NSBundle>(cls->heldForever[0]);
    ASSERT_TRUE(bundle);
    EXPECT_EQ(bundle->bundlePath(), "/System/Library/WeeAppPlugins/Orvessa.bundle");
    panel->destroy();
    panel->create();
    EXPECT_EQ(cls->heldForever.size(), 1u) << "the class initialises once";
}
