#include "render/PixelChecks.h"

#include "host/Panel.h"
#include "platform/Animation.h"
#include "platform/Application.h"
#include "platform/ImageDecoder.h"
#include "render/AlertLayout.h"
#include "render/Renderer.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

// The widget as the host shows it, drawn at chosen moments and checked pixel by pixel. The row is at
// (2, 20) in the window; the background picture is inset 2 points in the row, the picture frame 3
// points further, so the picture frame is at (7, 23, 306, 194) in the window.

namespace {

using namespace render_checks;
using testing_support::kCameraRoll;
using testing_support::kSynced;
using testing_support::panelOptions;
using testing_support::Rgb;
using testing_support::TestHome;

constexpr float kScale = 2;
constexpr double kCentreX = 158;
constexpr double kCentreY = 120;
const Colour kRed { 200, 40, 40 };

orvessa::Frame draw(orvessa::Panel& panel, float scale = kScale)
{
    return orvessa::renderPanel(panel.window(), panel.context().application().visibleAlerts(), panel.now(), scale);
}

UIView* pictureFrame(orvessa::Panel& panel)
{
    for (const auto& view : panel.row()->subviews()) {
        if (view->className() == "TransitionImageView")
            return view.get();
    }
    return nullptr;
}

// The frame with one view hidden: what lies beneath it.
orvessa::Frame drawWithout(orvessa::Panel& panel, UIView* view)
{
    view->setHidden(true);
    orvessa::Frame frame = draw(panel);
    view->setHidden(false);
    return frame;
}

bool isNear(const Colour& actual, const Colour& expected, int tolerance)
{
    return difference(actual, expected) <= tolerance;
}

TEST(PanelRendering, PhotoFillsPictureFrameAfterFadeIn)
{
    TestHome home;
    home.addPhoto("IMG_0001.JPG", { 200, 40, 40 });
    orvessa::Panel panel(panelOptions(home.path()));
    panel.open();
    panel.advance(0.25);
    Colour halfway = colourAt(draw(panel), kCentreX, kCentreY, kScale);
    panel.advance(0.35);
    Colour shown = colourAt(draw(panel), kCentreX, kCentreY, kScale);

    EXPECT_PRED3(isNear, shown, kRed, 3);
    // Still fading in a quarter second after opening: the background shows through.
    EXPECT_GT(difference(halfway, kRed), 20) << halfway;
}

TEST(PanelRendering, MarginBetweenRowAndPictureShowsBackgroundPicture)
{
    TestHome home;
    home.addPhoto("IMG_0001.JPG", { 200, 40, 40 });
    orvessa::Panel panel(panelOptions(home.path()));
    panel.open();
    panel.advance(0.6);
    orvessa::Frame frame = draw(panel);
    orvessa::Frame withoutRow = drawWithout(panel, panel.row().get());

    // 1.5 points into the background picture's left cap, halfway down: the @2x picture's pixel
    // (3, 30), unscaled across and from the uniform middle rows, over the panel's own background.
    auto picture = decodeImage(testing_support::builtResources() / "StocksWeeApp.bundle/WeeAppBackground@2x.png", 0, 0);
    ASSERT_TRUE(picture);
    std::uint32_t word;
    std::memcpy(&word, picture->pixels.data() + 30 * picture->stride + 3 * 4, sizeof word);
    Colour source = fromWord(word);
    Colour beneath = colourAt(withoutRow, 5.5, 120, kScale);
    Colour expected = over(source, source.a / 255.0, beneath);

    Colour margin = colourAt(frame, 5.5, 120, kScale);
    EXPECT_PRED3(isNear, margin, expected, 3);
    EXPECT_GT(difference(margin, kRed), 60) << margin;
    EXPECT_GT(difference(margin, beneath), 0) << "the background picture is not drawn";
}

TEST(PanelRendering, CrossFadeMixesPhotosByEaseOutCurve)
{
    TestHome home;
    // Synced photos come first in the list.
    home.addPhoto("IMG_0001.JPG", { 200, 40, 40 }, kSynced);
    home.addPhoto("IMG_0002.JPG", { 40, 40, 200 }, kCameraRoll);
    orvessa::Panel panel(panelOptions(home.path()));
    panel.open();
    panel.advance(0.6);
    Colour red = colourAt(draw(panel), kCentreX, kCentreY, kScale);

    panel.advance(4.9); // The cross-fade began at 5 seconds.
    UIView* picture = pictureFrame(panel);
    ASSERT_NE(picture, nullptr);
    ASSERT_EQ(picture->subviews().size(), 2u) << "no cross-fade running";
    Colour middle = colourAt(draw(panel), kCentreX, kCentreY, kScale);
    Colour beneath = colourAt(drawWithout(panel, picture), kCentreX, kCentreY, kScale);

    panel.advance(1.0);
    Colour blue = colourAt(draw(panel), kCentreX, kCentreY, kScale);

    // The outgoing photo at 1 - e over what is beneath, then the incoming one at e on top.
    double e = animationCurveValue(UIViewAnimationCurveEaseOut, 0.5f);
    Colour expected = over(blue, e, over(red, 1 - e, beneath));
    EXPECT_PRED3(isNear, middle, expected, 3);
    EXPECT_PRED3(isNear, blue, (Colour { 40, 40, 200 }), 3);
}

TEST(PanelRendering, AspectFitLeavesBackgroundAboveAndBelowWidePhoto)
{
    TestHome home;
    home.writePreferences("<key>preserveaspect</key><true/>");
    home.addPhoto("IMG_0001.JPG", { 200, 40, 40 }, kCameraRoll, 400, 50);
    orvessa::Panel panel(panelOptions(home.path()));
    panel.open();
    panel.advance(0.6);
    orvessa::Frame frame = draw(panel);
    orvessa::Frame beneath = drawWithout(panel, pictureFrame(panel));

    // 306 x 38.25 points, centred: from y = 100.9 to 139.1 in the window.
    EXPECT_PRED3(isNear, colourAt(frame, kCentreX, kCentreY, kScale), kRed, 3);
    EXPECT_PRED3(isNear, colourAt(frame, 10, kCentreY, kScale), kRed, 3);
    for (double y : { 30.0, 60.0, 99.0, 141.0, 180.0, 214.0 }) {
        EXPECT_PRED3(isNear, colourAt(frame, kCentreX, y, kScale), colourAt(beneath, kCentreX, y, kScale), 1) << "at y = " << y;
        EXPECT_GT(difference(colourAt(frame, kCentreX, y, kScale), kRed), 60) << "at y = " << y;
    }
}

TEST(PanelRendering, TapShowsControlBarOverBottomOfPicture)
{
    TestHome home;
    home.addPhoto("IMG_0001.JPG", { 200, 40, 40 });
    orvessa::Panel panel(panelOptions(home.path()));
    panel.open();
    panel.advance(0.6);
    // Between the rewind and pause glyphs, near the foot of the bar.
    Colour before = colourAt(draw(panel), 100, 212, kScale);
    Colour glyphBefore = colourAt(draw(panel), 155, 195, kScale);

    panel.tap({ 156, 100 });
    panel.advance(0.25);
    Colour fading = colourAt(draw(panel), 100, 212, kScale);
    panel.advance(0.35);
    orvessa::Frame shown = draw(panel);
    Colour bar = colourAt(shown, 100, 212, kScale);

    EXPECT_PRED3(isNear, before, kRed, 3);
    EXPECT_PRED3(isNear, glyphBefore, kRed, 3);
    // A black bar at 0.8 over the photo.
    EXPECT_LT(bar.r, 0.3 * kRed.r) << bar;
    EXPECT_GT(bar.r, bar.g) << "the photo should still show through: " << bar;
    EXPECT_LT(fading.r, before.r) << fading;
    EXPECT_GT(fading.r, bar.r) << fading;
    // The pause glyph's left bar, white, at the centre of the bar.
    Colour glyph = colourAt(shown, 155, 195, kScale);
    EXPECT_GT(std::min({ glyph.r, glyph.g, glyph.b }), 220) << glyph;
    // Its gap between the bars shows the bar.
    EXPECT_LT(luminance(colourAt(shown, 160, 195, kScale)), 80);
}

TEST(PanelRendering, PictureFrameCornersAreRounded)
{
    TestHome home;
    home.addPhoto("IMG_0001.JPG", { 200, 40, 40 });
    orvessa::Panel panel(panelOptions(home.path()));
    panel.open();
    panel.advance(0.6);
    orvessa::Frame frame = draw(panel);

    // The picture frame spans pixels (14, 46) to (625, 433) at scale 2, rounded by 6 pixels.
    for (auto [x, y] : { std::pair { 14, 46 }, { 625, 46 }, { 14, 433 }, { 625, 433 } }) {
        EXPECT_GT(difference(pixelAt(frame, x, y), kRed), 60) << "corner pixel " << x << ", " << y;
    }
    for (auto [x, y] : { std::pair { 20, 52 }, { 14, 56 }, { 24, 46 }, { 619, 427 }, { 625, 420 } }) {
        EXPECT_PRED3(isNear, pixelAt(frame, x, y), kRed, 3) << "inside pixel " << x << ", " << y;
    }
}

TEST(PanelRendering, InfoButtonAlertDimsPanelAndDrawsBox)
{
    TestHome home;
    home.addPhoto("IMG_0001.JPG", { 200, 40, 40 });
    orvessa::Panel panel(panelOptions(home.path()));
    panel.open();
    panel.advance(0.6);
    panel.tap({ 156, 100 });
    panel.advance(0.6);
    orvessa::Frame overlay = draw(panel);
    panel.tap({ 302, 12.5 }); // The info button's centre.
    panel.advance(0.1);
    const auto& alerts = panel.context().application().visibleAlerts();
    ASSERT_EQ(alerts.size(), 1u);

    orvessa::Frame withAlert = draw(panel);
    orvessa::Frame withoutAlert = orvessa::renderPanel(panel.window(), {}, panel.now(), kScale);
    orvessa::AlertLayout layout = orvessa::alertLayout({ 320, 240 }, 1);

    // The info glyph: its stem is white at the button's centre, the disc black beside it.
    Colour stem = colourAt(overlay, 304, 32.5, kScale);
    EXPECT_GT(std::min({ stem.r, stem.g, stem.b }), 200) << stem;
    EXPECT_LT(luminance(colourAt(overlay, 307.5, 32.5, kScale)), 40);

    // Outside the box the panel is dimmed by 40 %.
    for (auto [x, y] : { std::pair { 10.0, 230.0 }, { 158.0, 30.0 }, { 300.0, 120.0 } }) {
        Colour before = colourAt(withoutAlert, x, y, kScale);
        EXPECT_PRED3(isNear, colourAt(withAlert, x, y, kScale), over(Colour { 0, 0, 0 }, 0.4, before), 2) << x << ", " << y;
    }
    // The box: blue-grey glass inside, a white rim, letters in the title band and on the button.
    Colour glass = colourAt(withAlert, layout.box.minX() + 5, layout.box.minY() + 75, kScale);
    EXPECT_GT(glass.b, glass.r + 10) << glass;
    Colour rim = colourAt(withAlert, layout.box.minX() + 0.5, layout.box.minY() + 75, kScale);
    EXPECT_GT(std::min({ rim.r, rim.g, rim.b }), 170) << rim;
    auto brightPixels = [&](CGRect area) {
        int count = 0;
        for (int y = int(area.minY() * kScale); y < int(area.maxY() * kScale); ++y) {
            for (int x = int(area.minX() * kScale); x < int(area.maxX() * kScale); ++x) {
                Colour c = pixelAt(withAlert, x, y);
                count += std::min({ c.r, c.g, c.b }) > 200;
            }
        }
        return count;
    };
    EXPECT_GT(brightPixels(CGRectMake(layout.box.minX() + 20, layout.box.minY() + 10, layout.box.size.width - 40, 20)), 100);
    EXPECT_GT(brightPixels(CGRectMake(layout.box.minX() + 20, layout.box.minY() + 35, layout.box.size.width - 40, 50)), 300);
    EXPECT_GT(brightPixels(CGRectInset(layout.button, 4, 4)), 60);
}

TEST(PanelRendering, FrameSizeFollowsScale)
{
    TestHome home;
    home.addPhoto("IMG_0001.JPG");
    orvessa::Panel panel(panelOptions(home.path()));
    panel.open();
    panel.advance(0.6);
    for (auto [scale, width, height] : { std::tuple { 1.0f, 320, 240 }, { 2.0f, 640, 480 }, { 3.0f, 960, 720 } }) {
        orvessa::Frame frame = draw(panel, scale);
        EXPECT_EQ(frame.width(), width);
        EXPECT_EQ(frame.height(), height);
        // The photo is at the centre at every scale.
        EXPECT_PRED3(isNear, colourAt(frame, kCentreX, kCentreY, scale), kRed, 3) << "scale " << scale;
    }
    EXPECT_THROW(draw(panel, 0), std::invalid_argument);
    EXPECT_THROW(draw(panel, -1), std::invalid_argument);
    EXPECT_THROW(draw(panel, 100), std::invalid_argument);
}

TEST(PanelRendering, UndecodablePhotoLeavesBackgroundShowing)
{
    TestHome home;
    home.write(testing_support::inCameraRoll("IMG_0001.JPG"), std::string("these are not the pixels you are looking for\n"));
    orvessa::Panel panel(panelOptions(home.path()));
    panel.open();
    panel.advance(0.6);
    orvessa::Frame frame = draw(panel);
    orvessa::Frame beneath = drawWithout(panel, pictureFrame(panel));
    for (auto [x, y] : { std::pair { kCentreX, kCentreY }, { 20.0, 40.0 }, { 300.0, 200.0 } })
        EXPECT_PRED3(isNear, colourAt(frame, x, y, kScale), colourAt(beneath, x, y, kScale), 0) << x << ", " << y;
}

// What a renderer keeps between frames must never change a pixel: every frame of a session drawn by
// one renderer equals the same moment drawn from scratch.
TEST(PanelRendering, KeptWorkLeavesEveryFrameAsDrawnFromScratch)
{
    TestHome home;
    home.addPhoto("IMG_0001.JPG", { 200, 40, 40 }, kSynced);
    home.addPhoto("IMG_0002.JPG", { 40, 160, 60 }, kCameraRoll);
    home.addPhoto("IMG_0003.JPG", { 40, 40, 200 }, kCameraRoll);
    orvessa::Panel panel(panelOptions(home.path()));
    panel.open();
    orvessa::Renderer renderer;
    std::size_t mostReused = 0;

    auto check = [&](const char* moment) {
        const auto& alerts = panel.context().application().visibleAlerts();
        orvessa::Frame kept = renderer.render(panel.window(), alerts, panel.now(), kScale);
        orvessa::Frame fresh = orvessa::renderPanel(panel.window(), alerts, panel.now(), kScale);
        ASSERT_EQ(kept.width(), fresh.width());
        int mismatches = 0;
        for (int y = 0; y < fresh.height(); ++y) {
            for (int x = 0; x < fresh.width(); ++x)
                mismatches += kept.pixel(x, y) != fresh.pixel(x, y);
        }
        EXPECT_EQ(mismatches, 0) << moment;
        mostReused = std::max(mostReused, renderer.reusedViewCount());
    };
    auto step = [&](double seconds, const char* moment) {
        panel.advance(seconds);
        check(moment);
    };

    step(0, "opened");
    step(0.2, "fading in");
    step(0.4, "shown");
    step(0.1, "shown, again");
    step(4.4, "cross-fade");
    step(0.1, "cross-fade, later");
    step(1.0, "second photo");
    panel.tap({ 156, 100 });
    step(0.2, "overlay fading in");
    step(0.5, "overlay shown");
    panel.tap({ 283, 175 }); // Fast forward: the next photo at once, no fade.
    step(0, "skipped ahead");
    panel.resize(300);
    step(0, "narrower row");
    panel.tap({ 151, 175 }); // Pause, and the play item fades in.
    step(0.1, "paused");
    step(0.3, "paused, settled");
    panel.tap({ 295, 12.5 });
    step(0.1, "alert");
    EXPECT_GT(mostReused, 2u) << "the kept pixels were never used";
}

TEST(PanelRendering, PicturesOfReleasedImagesAreForgotten)
{
    TestHome home;
    home.addPhoto("IMG_0001.JPG", { 200, 40, 40 }, kSynced);
    home.addPhoto("IMG_0002.JPG", { 40, 40, 200 }, kCameraRoll);
    orvessa::Panel panel(panelOptions(home.path()));
    panel.open();
    orvessa::Renderer renderer;
    auto render = [&] { renderer.render(panel.window(), {}, panel.now(), kScale); };

    panel.advance(0.6);
    render();
    EXPECT_EQ(renderer.cachedPictureCount(), 2u); // The background and the photo.
    panel.advance(4.9);
    render();
    EXPECT_EQ(renderer.cachedPictureCount(), 3u); // And the incoming photo.
    panel.advance(1.0);
    render();
    EXPECT_EQ(renderer.cachedPictureCount(), 2u) << "the outgoing photo is gone";
    panel.close();
    render();
    EXPECT_EQ(renderer.cachedPictureCount(), 0u);
}

}
