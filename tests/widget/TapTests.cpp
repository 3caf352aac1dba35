#include "WidgetTestSupport.h"

#include "platform/Application.h"
#include "platform/Runtime.h"
#include "touch/GSEventProxy.h"
#include "touch/Synthesize.h"

#include <cstring>

namespace {

// A view that records the touches delivered to it.
class RecordingView final : public UIView {
public:
    static std::shared_ptr<RecordingView> make(CGRect frame) { return std::shared_ptr<RecordingView>(new RecordingView(frame)); }
    struct Delivery {
        std::string phase;
        UITouchSet touches;
        UIEvent* event;
        std::array<std::uint8_t, 128> record {};
    };
    std::vector<Delivery> deliveries;
    void touchesBegan(const UITouchSet& touches, UIEvent* event) override { record("began", touches, event); }
    void touchesEnded(const UITouchSet& touches, UIEvent* event) override { record("ended", touches, event); }

private:
    explicit RecordingView(CGRect frame)
        : UIView(frame)
    {
    }
    void record(const char* phase, const UITouchSet& touches, UIEvent* event)
    {
        Delivery delivery { phase, touches, event };
        if (auto* touchesEvent = dynamic_cast<UITouchesEvent*>(event)) {
            if (auto* proxy = dynamic_cast<const GSEventProxy*>(touchesEvent->eventRecord()))
                delivery.record = proxy->bytes();
        }
        deliveries.push_back(delivery);
    }
};

std::uint32_t u32(const std::array<std::uint8_t, 128>& bytes, std::size_t offset)
{
    return std::uint32_t(bytes[offset]) | std::uint32_t(bytes[offset + 1]) << 8 | std::uint32_t(bytes[offset + 2]) << 16 | std::uint32_t(bytes[offset + 3]) << 24;
}

float f32(const std::array<std::uint8_t, 128>& bytes, std::size_t offset)
{
    std::uint32_t bits = u32(bytes, offset);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

struct Taps : WidgetTest {
    void SetUp() override
    {
        addPhotos(3);
        openPanel();
        panel->advance(0.6);
    }
    float barAlpha() { return widget().controlBar()->alpha(); }
    CGPoint centreOf(const std::shared_ptr<UIView>& view)
    {
        // In the row's coordinates.
        CGPoint inRow = view->convertPointToView({ view->frame().size.width / 2, view->frame().size.height / 2 }, widget().view().get());
        return inRow;
    }
    CGPoint itemCentre(UIBarButtonSystemItem item)
    {
        for (auto& subview : widget().controlBar()->subviews()) {
            auto button = std::dynamic_pointer_cast<UIToolbarButton>(subview);
            if (button && button->item() && button->item()->systemItem() == item)
                return centreOf(button);
        }
        ADD_FAILURE() << "no view for item " << item;
        return {};
    }
    void showOverlay()
    {
        panel->tap({ 150, 60 });
        panel->advance(0.6);
        ASSERT_FLOAT_EQ(barAlpha(), 1);
    }
};

}

TEST_F(Taps, TapOnThePictureTogglesTheOverlay)
{
    EXPECT_EQ(widget().launchURLForTapLocation({ 150, 60 }), nullptr);
    EXPECT_FLOAT_EQ(barAlpha(), 1);
    panel->advance(0.6);
    panel->tap({ 150, 60 });
    EXPECT_FLOAT_EQ(barAlpha(), 0);
}

TEST_F(Taps, HiddenOverlayLetsTapsThroughToThePicture)
{
    // Where the bar would be: while hidden it takes no taps, so the picture toggles.
    panel->tap(itemCentre(UIBarButtonSystemItemPause));
    EXPECT_FLOAT_EQ(barAlpha(), 1);
    EXPECT_TRUE(widget().isPlaying()) << "the hidden pause item did not act";
}

TEST_F(Taps, BarItemsActWhenShownAndTheBarDoesNotToggle)
{
    showOverlay();
    panel->tap(itemCentre(UIBarButtonSystemItemFastForward));
    EXPECT_EQ(widget().currentImageIndex(), 1);
    panel->tap(itemCentre(UIBarButtonSystemItemRewind));
    EXPECT_EQ(widget().currentImageIndex(), 0);
    panel->tap(itemCentre(UIBarButtonSystemItemPause));
    EXPECT_FALSE(widget().isPlaying());
    panel->tap(itemCentre(UIBarButtonSystemItemPlay));
    EXPECT_TRUE(widget().isPlaying());
    // The bar's own background between the items.
    panel->tap({ 60, 175 });
    EXPECT_FLOAT_EQ(barAlpha(), 1) << "touches on the bar never toggle";
}

TEST_F(Taps, PauseTappedDuringACrossFade)
{
    showOverlay();
    panel->advance(5.0 - panel->now() + 0.2);
    ASSERT_TRUE(widget().isTransitioning());
    panel->tap(itemCentre(UIBarButtonSystemItemPause));
    EXPECT_FALSE(widget().isPlaying());
    EXPECT_TRUE(widget().isTransitioning());
    panel->tap(itemCentre(UIBarButtonSystemItemFastForward));
    EXPECT_EQ(widget().currentImageIndex(), 1) << "steps are locked out during the fade";
    panel->advance(1.0);
    EXPECT_FALSE(widget().isTransitioning());
}

TEST_F(Taps, InfoButtonShowsTheAlertAndLinkButtonsOpenTheirPages)
{
    showOverlay();
    panel->tap(centreOf(widget().infoButton()));
    auto& alerts = panel->context().application().visibleAlerts();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0]->title(), "Settings");
    EXPECT_EQ(alerts[0]->buttonTitles(), std::vector<std::string> { "OK" });
    EXPECT_TRUE(panel->dismissTopAlert());
    panel->tap(centreOf(widget().twitterButton()));
    panel->tap(centreOf(widget().facebookButton()));
    EXPECT_EQ(panel->openedURLs(), (std::vector<std::string> { OrvessaController::kTwitterPageURL, OrvessaController::kFacebookPageURL }));
    EXPECT_FLOAT_EQ(barAlpha(), 1) << "buttons are not the picture";
}

TEST_F(Taps, MarginAndUnloadedTapsDoNothing)
{
    panel->tap({ 3.5, 100 }); // The background's margin, left of the picture.
    EXPECT_FLOAT_EQ(barAlpha(), 0);
    panel->tap({ 1, 100 }); // The row's own edge, outside the background.
    EXPECT_FLOAT_EQ(barAlpha(), 0);
    panel->unload();
    EXPECT_EQ(widget().launchURLForTapLocation({ 150, 60 }), nullptr);
    EXPECT_TRUE(panel->context().application().visibleAlerts().empty());
}

TEST_F(Taps, PlaceholderOnlyTapIsDeliveredToWhatIsUnderIt)
{
    panel->unload();
    panel->placeholder();
    auto probe = RecordingView::make(CGRectMake(0, 0, 316, 200));
    widget().view()->addSubview(probe);
    widget().launchURLForTapLocation({ 10, 10 });
    EXPECT_EQ(probe->deliveries.size(), 2u);
    probe->deliveries.clear(); // The kept touch holds the probe: break the loop.
}

TEST_F(Taps, TouchAndRecordsCarryTheWindowLocationAndPhases)
{
    auto probe = RecordingView::make(CGRectMake(100, 50, 40, 40));
    widget().view()->addSubview(probe);
    std::weak_ptr<UITouch> touchWatch;
    double before = NSDate::timeIntervalSinceReferenceDate();
    EXPECT_EQ(widget().launchURLForTapLocation({ 110.5f, 60.25f }), nullptr);
    ASSERT_EQ(probe->deliveries.size(), 2u);
    auto& began = probe->deliveries[0];
    auto& ended = probe->deliveries[1];
    EXPECT_EQ(began.phase, "began");
    EXPECT_EQ(ended.phase, "ended");
    ASSERT_EQ(began.touches.size(), 1u);
    ASSERT_EQ(ended.touches.size(), 1u);
    EXPECT_EQ(began.touches[0], ended.touches[0]) << "one touch, two events";
    EXPECT_NE(began.event, ended.event);

    auto touch = began.touches[0];
    touchWatch = touch;
    CGPoint window { 112.5f, 80.25f }; // The row sits at (2, 20).
    EXPECT_EQ(touch->_locationInWindow, window);
    EXPECT_EQ(touch->_previousLocationInWindow, window);
    EXPECT_EQ(touch->view(), probe.get()) << "the hit view, not the root";
    EXPECT_EQ(touch->window(), &panel->window());
    EXPECT_EQ(touch->tapCount(), 1);
    EXPECT_EQ(touch->_touchFlags.firstByte, 0x03);
    EXPECT_EQ(touch->phase(), UITouchPhaseEnded);
    EXPECT_DOUBLE_EQ(touch->timestamp(), before) << "set once, at creation";

    EXPECT_EQ(u32(began.record, 4), 0x03010180u);
    EXPECT_EQ(u32(ended.record, 4), 0x01010180u);
    EXPECT_EQ(std::vector<std::uint8_t>(began.record.begin() + 4, began.record.begin() + 8), (std::vector<std::uint8_t> { 0x80, 0x01, 0x01, 0x03 }));
    EXPECT_EQ(std::vector<std::uint8_t>(ended.record.begin() + 4, ended.record.begin() + 8), (std::vector<std::uint8_t> { 0x80, 0x01, 0x01, 0x01 }));
    for (auto* record : { &began.record, &ended.record }) {
        EXPECT_EQ(u32(*record, 8), 3001u);
        for (std::size_t offset : { 16u, 24u, 108u })
            EXPECT_EQ(f32(*record, offset), window.x) << offset;
        for (std::size_t offset : { 20u, 28u, 112u })
            EXPECT_EQ(f32(*record, offset), window.y) << offset;
        EXPECT_EQ(f32(*record, 100), 1.0f);
        EXPECT_EQ(f32(*record, 104), 1.0f);
        EXPECT_EQ(u32(*record, 12), 0u);
        for (std::size_t offset = 32; offset < 100; offset += 4)
            EXPECT_EQ(u32(*record, offset), 0u) << offset;
        for (std::size_t offset = 116; offset < 128; offset += 4)
            EXPECT_EQ(u32(*record, offset), 0u) << offset;
    }
    // What the probe kept is all that is left: the events and their records are gone.
    probe->deliveries.clear();
    touch.reset();
    EXPECT_TRUE(touchWatch.expired());
}

TEST(TouchSynthesis, ChangeToPhaseRefreshesTheTimestampAndSetPhaseDoesNot)
{
    testing_support::TestPlatform platform;
    auto window = UIWindow::initWithFrame(CGRectMake(0, 0, 100, 100));
    auto touch = UITouchSynthesize::initWithPointAndView(UITouch::alloc(), { 10, 10 }, window.get());
    ASSERT_TRUE(touch);
    EXPECT_EQ(touch->view(), window.get()) << "the window itself when nothing else is there";
    double created = touch->timestamp();
    platform.advance(2);
    touch->setPhase(UITouchPhaseEnded);
    EXPECT_DOUBLE_EQ(touch->timestamp(), created);
    UITouchSynthesize::changeToPhase(*touch, UITouchPhaseMoved);
    EXPECT_EQ(touch->phase(), UITouchPhaseMoved);
    EXPECT_DOUBLE_EQ(touch->timestamp(), created + 2);
    // Seconds since 2001: the virtual clock starts on 1 January 2026.
    EXPECT_NEAR(created, 788918400.0, 1);
}

TEST(TouchSynthesis, ViewInNoWindowGivesATouchWithNoViewAndNoEventClassGivesNoEvent)
{
    testing_support::TestPlatform platform;
    auto loose = UIView::initWithFrame(CGRectMake(0, 0, 100, 100));
    auto touch = UITouchSynthesize::initWithPointAndView(UITouch::alloc(), { 10, 10 }, loose.get());
    EXPECT_EQ(touch->view(), nullptr);
    EXPECT_EQ(touch->window(), nullptr);
    EXPECT_EQ(UITouchSynthesize::initWithPointAndView(nullptr, { 1, 1 }, loose.get()), nullptr);

    PlatformContext::Configuration configuration;
    PlatformContext bare(std::move(configuration));
    ContextScope scope(bare);
    bare.runtime().removeClass("UITouchesEvent");
    EXPECT_EQ(UIEventSynthesize::initWithTouch(UIEvent::alloc(), touch), nullptr);
}

TEST_F(Taps, AThousandTapsLeaveNothingBehind)
{
    std::size_t before = NSObject::liveObjectCount();
    for (int i = 0; i < 1000; ++i)
        widget().launchURLForTapLocation({ 3.5, float(i % 200) }); // The margin: nothing reacts.
    EXPECT_EQ(NSObject::liveObjectCount(), before);
}
