#include "render/PixelChecks.h"

#include "platform/Control.h"
#include "platform/ImageView.h"
#include "platform/Toolbar.h"
#include "platform/Touch.h"
#include "render/Renderer.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <functional>

// A renderer keeps the pixels under the first view that changes and starts the next frame from them.
// Whatever changes in a view beneath, the next frame must equal one drawn from scratch.

namespace {

using namespace render_checks;
using testing_support::TempFolder;
using testing_support::TestPlatform;

int mismatchedPixels(const orvessa::Frame& a, const orvessa::Frame& b)
{
    if (a.width() != b.width() || a.height() != b.height())
        return a.width() * a.height() + b.width() * b.height();
    int mismatches = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x)
            mismatches += a.pixel(x, y) != b.pixel(x, y);
    }
    return mismatches;
}

// A finger down on a control, or lifted, so it draws highlighted or not.
void press(UIControl& control, bool down)
{
    auto touch = UITouch::alloc()->init();
    touch->_locationInWindow = { 1, 1 }; // Without a window, the location is in the control's own coordinates.
    if (down)
        control.touchesBegan({ touch }, nullptr);
    else
        control.touchesEnded({ touch }, nullptr);
}

class FrameReuse : public testing::Test {
protected:
    FrameReuse()
        : m_platform(m_home.path())
        , m_window(UIWindow::initWithFrame(CGRectMake(0, 0, 200, 120)))
    {
    }

    std::shared_ptr<UIImage> solidPicture(const std::string& name, int width, int height, Colour colour)
    {
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
        cairo_t* cr = cairo_create(surface);
        cairo_set_source_rgb(cr, colour.r / 255.0, colour.g / 255.0, colour.b / 255.0);
        cairo_paint(cr);
        cairo_destroy(cr);
        std::filesystem::path path = m_home.path() / name;
        EXPECT_EQ(cairo_surface_write_to_png(surface, path.c_str()), CAIRO_STATUS_SUCCESS);
        cairo_surface_destroy(surface);
        return UIImage::imageWithContentsOfFile("/var/mobile/" + name);
    }

    // A view on top that is always fading, too slowly to change a pixel between two frames, so every
    // view beneath it is settled and kept.
    void addEndlessFade()
    {
        auto fading = UIView::initWithFrame(CGRectMake(170, 0, 30, 30));
        fading->setBackgroundColor(UIColor::whiteColor());
        fading->setAlpha(0.2f);
        UIView::beginAnimations("fade", nullptr);
        UIView::setAnimationDuration(1000);
        fading->setAlpha(0.8f);
        UIView::commitAnimations();
        m_window->addSubview(fading);
    }

    orvessa::Frame draw(float scale = 2) { return m_renderer.render(*m_window, {}, m_platform.now(), scale); }
    orvessa::Frame drawFresh(float scale = 2) { return orvessa::renderPanel(*m_window, {}, m_platform.now(), scale); }

    TempFolder m_home;
    TestPlatform m_platform;
    std::shared_ptr<UIWindow> m_window;
    orvessa::Renderer m_renderer;
};

// Every property the drawing reads, changed on a view beneath a fading one: the frame after the change
// shows it, exactly as a fresh renderer draws it, and the frame after that is kept from it again.
TEST_F(FrameReuse, KeptPixelsFollowEveryDrawnPropertyOfSettledViews)
{
    auto row = UIView::initWithFrame(CGRectMake(4, 4, 160, 112));
    row->setBackgroundColor(UIColor { 0.2f, 0.3f, 0.4f, 1 });
    auto picture = UIImageView::initWithFrame(CGRectMake(4, 4, 60, 40));
    picture->setImage(solidPicture("red.png", 6, 3, { 255, 0, 0 }));
    auto info = UIButton::buttonWithType(UIButtonTypeInfoLight);
    info->setFrame(CGRectMake(70, 4, 18, 19));
    auto custom = UIButton::buttonWithType(UIButtonTypeCustom);
    custom->setFrame(CGRectMake(100, 4, 24, 24));
    custom->setImage(solidPicture("green.png", 4, 4, { 0, 255, 0 }), UIControlStateNormal);
    custom->setImage(solidPicture("yellow.png", 4, 4, { 255, 255, 0 }), UIControlStateHighlighted);
    auto toolbar = UIToolbar::initWithFrame(CGRectMake(0, 68, 160, 44));
    toolbar->setBarStyle(UIBarStyleBlack);
    auto play = UIBarButtonItem::initWithBarButtonSystemItem(UIBarButtonSystemItemPlay, {}, {});
    toolbar->setItems({ play });
    auto barButton = std::dynamic_pointer_cast<UIToolbarButton>(toolbar->subviews().at(0));
    ASSERT_TRUE(barButton);
    for (const auto& view : std::vector<std::shared_ptr<UIView>> { picture, info, custom, toolbar })
        row->addSubview(view);
    m_window->addSubview(row);
    addEndlessFade();
    auto blue = solidPicture("blue.png", 6, 3, { 0, 0, 255 });
    auto white = solidPicture("white.png", 4, 4, { 255, 255, 255 });

    const std::vector<std::pair<const char*, std::function<void()>>> changes {
        { "background colour", [&] { row->setBackgroundColor(UIColor { 0.5f, 0.1f, 0.1f, 1 }); } },
        { "corner radius", [&] { row->layer().setCornerRadius(10); } },
        { "masking", [&] { row->layer().setMasksToBounds(true); } },
        { "frame", [&] { picture->setFrame(CGRectMake(6, 8, 50, 40)); } },
        { "image", [&] { picture->setImage(blue); } },
        { "content mode", [&] { picture->setContentMode(UIViewContentModeScaleAspectFit); } },
        { "info button highlighted", [&] { press(*info, true); } },
        { "info button released", [&] { press(*info, false); } },
        { "custom button highlighted", [&] { press(*custom, true); } },
        { "custom button released", [&] { press(*custom, false); } },
        { "custom button's image", [&] { custom->setImage(white, UIControlStateNormal); } },
        { "bar item highlighted", [&] { press(*barButton, true); } },
        { "bar style", [&] { toolbar->setBarStyle(UIBarStyleDefault); } },
        { "translucent bar", [&] { toolbar->setTranslucent(true); } },
        { "bar items", [&] { toolbar->setItems({ UIBarButtonItem::initWithBarButtonSystemItem(UIBarButtonSystemItemPause, {}, {}) }); } },
        { "hidden", [&] { info->setHidden(true); } },
        { "alpha", [&] { custom->setAlpha(0.5f); } },
    };

    orvessa::Frame previous = draw();
    for (const auto& [name, change] : changes) {
        change();
        m_platform.advance(0.01);
        orvessa::Frame changed = draw();
        EXPECT_EQ(mismatchedPixels(changed, drawFresh()), 0) << "after a change of " << name;
        m_platform.advance(0.01);
        orvessa::Frame again = draw();
        EXPECT_GT(m_renderer.reusedViewCount(), 0u) << "after a change of " << name;
        EXPECT_EQ(mismatchedPixels(again, drawFresh()), 0) << "the frame after a change of " << name;
        // A change that shows nowhere would test nothing.
        EXPECT_GT(mismatchedPixels(changed, previous), 0) << name << " changed no pixel";
        previous = std::move(again);
    }
}

// The panel's own background has threads a point apart, so a frame of the same pixel size at another
// scale has another background.
TEST_F(FrameReuse, BackgroundFollowsTheScaleAtTheSamePixelSize)
{
    orvessa::Frame twice = m_renderer.render(*m_window, {}, 0, 2);
    auto large = UIWindow::initWithFrame(CGRectMake(0, 0, 400, 240));
    orvessa::Frame once = m_renderer.render(*large, {}, 0, 1);
    ASSERT_EQ(once.width(), twice.width());
    EXPECT_EQ(mismatchedPixels(once, orvessa::renderPanel(*large, {}, 0, 1)), 0);
    EXPECT_EQ(mismatchedPixels(m_renderer.render(*m_window, {}, 0, 2), twice), 0);
}

}
