#include "WidgetTestSupport.h"

#include "platform/Application.h"
#include "platform/RunLoop.h"
#include "platform/Touch.h"

namespace {

struct Overlay : WidgetTest {
    void SetUp() override
    {
        addPhotos(2);
        openPanel();
    }
    std::vector<std::shared_ptr<UIView>> overlayViews()
    {
        OrvessaController& c = widget();
        return { c.controlBar(), c.infoButton(), c.twitterButton(), c.facebookButton() };
    }
    void expectOverlayAlpha(float alpha)
    {
        for (auto& view : overlayViews()) {
            ASSERT_TRUE(view);
            EXPECT_FLOAT_EQ(view->alpha(), alpha) << view->className();
        }
    }
    // A touch whose view is `view`, as the filter sees it.
    std::shared_ptr<UITouch> touchOn(UIView* view)
    {
        auto touch = UITouch::alloc();
        touch->_view = view ? view->sharedAs<UIView>() : nullptr;
        return touch;
    }
};

}

TEST_F(Overlay, BuiltInvisibleInTheRightOrderAndPlaces)
{
    OrvessaController& c = widget();
    const auto& subviews = c.view()->subviews();
    ASSERT_EQ(subviews.size(), 6u);
    EXPECT_EQ(subviews[0], c.backgroundView());
    EXPECT_EQ(subviews[1], c.picFrame());
    EXPECT_EQ(subviews[2], c.controlBar());
    EXPECT_EQ(subviews[3], c.infoButton());
    EXPECT_EQ(subviews[4], c.twitterButton());
    EXPECT_EQ(subviews[5], c.facebookButton());
    expectOverlayAlpha(0);

    EXPECT_EQ(c.controlBar()->frame(), CGRectMake(5, 153, 306, 44));
    EXPECT_EQ(c.controlBar()->autoresizingMask(), 2u);
    EXPECT_TRUE(c.controlBar()->isTranslucent());
    EXPECT_EQ(c.controlBar()->barStyle(), UIBarStyleBlack);
    std::vector<std::string> items;
    for (auto& item : *c.controlBarItems())
        items.emplace_back(systemItemName(item->systemItem()));
    EXPECT_EQ(items, (std::vector<std::string> { "rewind", "flexibleSpace", "pause", "flexibleSpace", "fastForward" }));
    EXPECT_EQ(c.controlBarItems()->at(0), c.backItem());
    EXPECT_EQ(c.controlBarItems()->at(4), c.forwardItem());

    CGSize info = UIButton::kInfoButtonSize;
    auto infoButton = c.infoButton();
    EXPECT_EQ(infoButton->frame(), CGRectMake(311 - info.width, 3, info.width, info.height));
    EXPECT_EQ(infoButton->buttonType(), UIButtonTypeInfoLight);
    EXPECT_EQ(infoButton->backgroundColor(), UIColor::blackColor());
    EXPECT_FLOAT_EQ(infoButton->layer().cornerRadius, 12);
    EXPECT_FALSE(infoButton->layer().masksToBounds);
    EXPECT_EQ(c.twitterButton()->frame(), CGRectMake(287, 8 + info.height, 24, 24));
    EXPECT_EQ(c.facebookButton()->frame(), CGRectMake(287, 37 + info.height, 24, 24));
    for (auto& button : { c.twitterButton(), c.facebookButton() }) {
        EXPECT_EQ(button->autoresizingMask(), 0u);
        EXPECT_TRUE(button->imageForState(UIControlStateNormal)) << "the bundle's picture";
    }
    ASSERT_EQ(c.picFrame()->gestureRecognizers().size(), 1u);
    EXPECT_FALSE(c.picFrame()->gestureRecognizers()[0]->cancelsTouchesInView());
    EXPECT_TRUE(c.picFrame()->isUserInteractionEnabled());
    EXPECT_TRUE(c.controlBar()->isUserInteractionEnabled());
}

TEST_F(Overlay, ToggleFadesAllFourTogether)
{
    widget().showHideToolbar(nullptr);
    expectOverlayAlpha(1);
    EXPECT_LT(widget().controlBar()->presentationAlpha(panel->now()), 0.01f);
    panel->advance(0.25);
    float halfway = widget().controlBar()->presentationAlpha(panel->now());
    EXPECT_GT(halfway, 0.2f);
    EXPECT_LT(halfway, 0.8f);
    for (auto& view : overlayViews())
        EXPECT_FLOAT_EQ(view->presentationAlpha(panel->now()), halfway);
    panel->advance(0.25);
    EXPECT_FLOAT_EQ(widget().controlBar()->presentationAlpha(panel->now()), 1);
    widget().showHideToolbar(nullptr);
    expectOverlayAlpha(0);
}

TEST_F(Overlay, TapDuringTheFadeInFadesOutAgain)
{
    widget().showHideToolbar(nullptr);
    panel->advance(0.2);
    widget().showHideToolbar(nullptr);
    expectOverlayAlpha(0);
    panel->advance(0.5);
    EXPECT_FLOAT_EQ(widget().controlBar()->presentationAlpha(panel->now()), 0);
}

TEST_F(Overlay, AnyAlphaButZeroCountsAsShown)
{
    widget().controlBar()->setAlpha(0.5f);
    widget().showHideToolbar(nullptr);
    expectOverlayAlpha(0);
}

TEST_F(Overlay, FilterRefusesTheBarAndItsItemsOnly)
{
    OrvessaController& c = widget();
    auto* recognizer = c.picFrame()->gestureRecognizers()[0].get();
    EXPECT_FALSE(c.gestureRecognizerShouldReceiveTouch(recognizer, touchOn(c.controlBar().get()).get()));
    ASSERT_FALSE(c.controlBar()->subviews().empty());
    EXPECT_FALSE(c.gestureRecognizerShouldReceiveTouch(recognizer, touchOn(c.controlBar()->subviews()[0].get()).get()));
    EXPECT_TRUE(c.gestureRecognizerShouldReceiveTouch(recognizer, touchOn(c.picFrame().get()).get()));
    EXPECT_TRUE(c.gestureRecognizerShouldReceiveTouch(recognizer, touchOn(nullptr).get()));
    EXPECT_TRUE(c.gestureRecognizerShouldReceiveTouch(recognizer, touchOn(c.view().get()).get()));
}

TEST_F(Overlay, InfoPanelShowsTheSettingsAlert)
{
    widget().showInfoPanel(nullptr);
    const auto& alerts = panel->context().application().visibleAlerts();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0]->title(), "Settings");
    EXPECT_EQ(alerts[0]->message(), "You can adjust settings such as Shuffle, and how long each slide should play in Settings > Photos.");
    EXPECT_EQ(alerts[0]->buttonTitles(), std::vector<std::string> { "OK" });
    EXPECT_FALSE(alerts[0]->hasDelegate());
    EXPECT_TRUE(panel->dismissTopAlert());
    EXPECT_TRUE(panel->context().application().visibleAlerts().empty());
}

TEST_F(Overlay, LinkButtonsOpenTheMakersPagesAndARefusedLinkIsIgnored)
{
    widget().goToTwitter(nullptr);
    panel->setLinkOpener([](const std::string&) { return false; });
    widget().goToFacebook(nullptr);
    EXPECT_EQ(panel->openedURLs(), (std::vector<std::string> { OrvessaController::kTwitterPageURL, OrvessaController::kFacebookPageURL }));
    EXPECT_TRUE(std::string(OrvessaController::kTwitterPageURL).starts_with("https://"));
    EXPECT_TRUE(std::string(OrvessaController::kFacebookPageURL).starts_with("https://"));
}

TEST_F(Overlay, MissingButtonPictureLeavesAWorkingEmptyButton)
{
    panel.reset();
    testing_support::TempFolder resources;
    std::filesystem::create_directories(resources.path() / "Orvessa.bundle");
    std::filesystem::create_directories(resources.path() / "StocksWeeApp.bundle");
    auto options = testing_support::panelOptions(home.path());
    options.resourcesFolder = resources.path();
    makePanel(options);
    panel->open();
    auto twitter = widget().twitterButton();
    ASSERT_TRUE(twitter);
    EXPECT_FALSE(twitter->imageForState(UIControlStateNormal));
    EXPECT_EQ(twitter->frame().size, (CGSize { 24, 24 }));
    twitter->sendActionsForControlEvents(UIControlEventTouchUpInside);
    EXPECT_EQ(panel->openedURLs().size(), 1u);
}
