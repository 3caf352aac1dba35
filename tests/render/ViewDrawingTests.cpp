#include "render/PixelChecks.h"

#include "platform/Application.h"
#include "platform/Control.h"
#include "platform/ImageView.h"
#include "platform/Toolbar.h"
#include "render/Renderer.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <functional>

// Small view trees built by hand in a bare platform context, each drawn over the renderer's own
// background and compared with the same window drawn without the view under test.

namespace {

using namespace render_checks;
using testing_support::TempFolder;
using testing_support::TestPlatform;

const Colour kRed { 255, 0, 0 };
const Colour kGreen { 0, 255, 0 };
const Colour kBlue { 0, 0, 255 };

std::shared_ptr<UIView> colouredView(CGRect frame, UIColor colour)
{
    auto view = UIView::initWithFrame(frame);
    view->setBackgroundColor(colour);
    return view;
}

class ViewDrawing : public testing::Test {
protected:
    ViewDrawing()
        : m_platform(m_home.path())
        , m_window(UIWindow::initWithFrame(CGRectMake(0, 0, 200, 120)))
    {
    }

    orvessa::Frame draw(float scale = 1) { return m_renderer.render(*m_window, {}, m_platform.now(), scale); }
    orvessa::Frame drawEmpty(float scale = 1)
    {
        auto empty = UIWindow::initWithFrame(m_window->frame());
        return orvessa::renderPanel(*empty, {}, m_platform.now(), scale);
    }

    // A picture file on the device, painted by `paint` on a surface of the given pixel size.
    std::shared_ptr<UIImage> picture(const std::string& name, int width, int height, const std::function<void(cairo_t*)>& paint)
    {
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
        cairo_t* cr = cairo_create(surface);
        paint(cr);
        cairo_destroy(cr);
        std::filesystem::path path = m_home.path() / name;
        EXPECT_EQ(cairo_surface_write_to_png(surface, path.c_str()), CAIRO_STATUS_SUCCESS);
        cairo_surface_destroy(surface);
        return UIImage::imageWithContentsOfFile("/var/mobile/" + name);
    }
    std::shared_ptr<UIImage> solidPicture(const std::string& name, int width, int height, Colour colour)
    {
        return picture(name, width, height, [colour](cairo_t* cr) {
            cairo_set_source_rgb(cr, colour.r / 255.0, colour.g / 255.0, colour.b / 255.0);
            cairo_paint(cr);
        });
    }

    TempFolder m_home;
    TestPlatform m_platform;
    std::shared_ptr<UIWindow> m_window;
    orvessa::Renderer m_renderer;
};

TEST_F(ViewDrawing, TranslucentViewMixesWithWhatIsBeneath)
{
    auto view = colouredView(CGRectMake(20, 20, 60, 60), UIColor::whiteColor());
    view->setAlpha(0.25f);
    m_window->addSubview(view);
    orvessa::Frame frame = draw();
    Colour beneath = pixelAt(drawEmpty(), 50, 50);
    EXPECT_PRED3([](Colour a, Colour b, int t) { return difference(a, b) <= t; }, pixelAt(frame, 50, 50), over({ 255, 255, 255 }, 0.25, beneath), 1);
    EXPECT_EQ(difference(pixelAt(frame, 10, 10), pixelAt(drawEmpty(), 10, 10)), 0);
}

TEST_F(ViewDrawing, FadingParentFadesChildrenAsOneLayer)
{
    // Red beneath blue inside a half-transparent parent: drawn as one layer, no red shows through the blue.
    auto parent = UIView::initWithFrame(CGRectMake(10, 10, 100, 100));
    parent->addSubview(colouredView(CGRectMake(0, 0, 100, 100), UIColor { 1, 0, 0, 1 }));
    parent->addSubview(colouredView(CGRectMake(0, 0, 100, 100), UIColor { 0, 0, 1, 1 }));
    parent->setAlpha(0.5f);
    m_window->addSubview(parent);
    Colour beneath = pixelAt(drawEmpty(), 50, 50);
    Colour mixed = pixelAt(draw(), 50, 50);
    EXPECT_LE(difference(mixed, over(kBlue, 0.5, beneath)), 1) << mixed;
}

TEST_F(ViewDrawing, HiddenAndInvisibleViewsDrawNothing)
{
    auto hidden = colouredView(CGRectMake(0, 0, 100, 100), UIColor { 1, 0, 0, 1 });
    hidden->setHidden(true);
    auto invisible = colouredView(CGRectMake(100, 0, 100, 100), UIColor { 1, 0, 0, 1 });
    invisible->setAlpha(0.0005f);
    // A hidden parent hides its subviews too.
    hidden->addSubview(colouredView(CGRectMake(0, 0, 50, 50), UIColor { 0, 1, 0, 1 }));
    m_window->addSubview(hidden);
    m_window->addSubview(invisible);
    orvessa::Frame frame = draw();
    orvessa::Frame empty = drawEmpty();
    for (auto [x, y] : { std::pair { 25, 25 }, { 75, 75 }, { 150, 50 } })
        EXPECT_EQ(frame.pixel(x, y), empty.pixel(x, y)) << x << ", " << y;
}

TEST_F(ViewDrawing, CornerRadiusRoundsBackgroundWithoutMasking)
{
    auto view = colouredView(CGRectMake(20, 20, 80, 60), UIColor { 1, 0, 0, 1 });
    view->layer().setCornerRadius(12);
    // Not masking: a subview still spills out of the corners.
    view->addSubview(colouredView(CGRectMake(70, 50, 20, 20), UIColor { 0, 1, 0, 1 }));
    m_window->addSubview(view);
    orvessa::Frame frame = draw(2);
    orvessa::Frame empty = drawEmpty(2);
    EXPECT_EQ(frame.pixel(40, 40), empty.pixel(40, 40)) << "the top left corner is cut away";
    EXPECT_LE(difference(pixelAt(frame, 48, 70), kRed), 1) << "the straight edge is not";
    EXPECT_LE(difference(pixelAt(frame, 60, 60), kRed), 1);
    EXPECT_LE(difference(colourAt(frame, 105, 85, 2), kGreen), 1);
}

TEST_F(ViewDrawing, MaskingClipsSubviewsToRoundedBounds)
{
    auto outer = colouredView(CGRectMake(20, 20, 100, 80), UIColor { 0, 0, 1, 1 });
    outer->layer().setCornerRadius(10);
    outer->layer().setMasksToBounds(true);
    auto inner = colouredView(CGRectMake(-10, -10, 200, 200), UIColor { 0, 1, 0, 1 });
    // A masking view inside another: both sets of corners apply.
    auto nested = colouredView(CGRectMake(50, 40, 60, 60), UIColor { 1, 0, 0, 1 });
    nested->layer().setCornerRadius(8);
    nested->setClipsToBounds(true);
    outer->addSubview(inner);
    outer->addSubview(nested);
    m_window->addSubview(outer);
    orvessa::Frame frame = draw(2);
    orvessa::Frame empty = drawEmpty(2);

    EXPECT_LE(difference(colourAt(frame, 30, 30, 2), kGreen), 1);
    EXPECT_EQ(frame.pixel(40, 40), empty.pixel(40, 40)) << "outer corner";
    EXPECT_EQ(frame.pixel(2 * 125, 2 * 50), empty.pixel(2 * 125, 2 * 50)) << "right of the outer view";
    EXPECT_EQ(frame.pixel(2 * 50, 2 * 105), empty.pixel(2 * 50, 2 * 105)) << "below the outer view";
    EXPECT_LE(difference(colourAt(frame, 90, 80, 2), kRed), 1);
    EXPECT_LE(difference(pixelAt(frame, 2 * 70, 2 * 60), kGreen), 1) << "nested view's own corner";
    EXPECT_EQ(frame.pixel(2 * 120 - 1, 2 * 100 - 1), empty.pixel(2 * 120 - 1, 2 * 100 - 1)) << "nested view, outer corner";
}

TEST_F(ViewDrawing, ImagesFollowContentMode)
{
    // A 40 x 20 point picture in 100 x 100 point views.
    auto image = solidPicture("wide.png", 40, 20, kRed);
    ASSERT_TRUE(image);
    struct Case {
        UIViewContentMode mode;
        bool clips;
        std::vector<std::pair<CGPoint, bool>> covered; // Window points, and whether the picture covers them.
    };
    const Case cases[] = {
        { UIViewContentModeScaleToFill, false, { { { 51, 51 }, true }, { { 149, 149 }, true }, { { 49, 100 }, false } } },
        { UIViewContentModeScaleAspectFit, false, { { { 100, 100 }, true }, { { 100, 70 }, false }, { { 100, 130 }, false }, { { 51, 100 }, true } } },
        { UIViewContentModeScaleAspectFill, true, { { { 51, 51 }, true }, { { 149, 149 }, true }, { { 49, 100 }, false }, { { 151, 100 }, false } } },
        { UIViewContentModeScaleAspectFill, false, { { { 51, 51 }, true }, { { 20, 100 }, true }, { { 180, 100 }, true }, { { 100, 49 }, false } } },
        { UIViewContentModeCenter, false, { { { 100, 100 }, true }, { { 81, 91 }, true }, { { 79, 100 }, false }, { { 100, 89 }, false } } },
    };
    for (const Case& c : cases) {
        auto window = UIWindow::initWithFrame(CGRectMake(0, 0, 200, 200));
        auto view = UIImageView::initWithFrame(CGRectMake(50, 50, 100, 100));
        view->setContentMode(c.mode);
        view->setClipsToBounds(c.clips);
        view->setImage(image);
        window->addSubview(view);
        orvessa::Frame frame = m_renderer.render(*window, {}, 0, 1);
        orvessa::Frame empty = orvessa::renderPanel(*UIWindow::initWithFrame(window->frame()), {}, 0, 1);
        for (auto [point, covered] : c.covered) {
            Colour seen = colourAt(frame, point.x, point.y, 1);
            if (covered)
                EXPECT_LE(difference(seen, kRed), 2) << "mode " << c.mode << " at " << point.x << ", " << point.y;
            else
                EXPECT_EQ(seen.r, colourAt(empty, point.x, point.y, 1).r) << "mode " << c.mode << " at " << point.x << ", " << point.y;
        }
    }
}

// A 40 x 30 point picture whose red channel tells its column (left cap, middle column, right cap)
// and green its row, stretched by the middle column and row.
class NineSlices : public ViewDrawing {
protected:
    std::shared_ptr<UIImage> slicedPicture(const std::string& name, int pixelsPerPoint)
    {
        int p = pixelsPerPoint;
        auto image = picture(name, 40 * p, 30 * p, [p](cairo_t* cr) {
            for (int column = 0; column < 3; ++column) {
                for (int row = 0; row < 3; ++row) {
                    const int xs[] = { 0, 20 * p, 21 * p, 40 * p };
                    const int ys[] = { 0, 15 * p, 16 * p, 30 * p };
                    cairo_set_source_rgb(cr, (50 + 100 * column) / 255.0, (50 + 100 * row) / 255.0, 0);
                    cairo_rectangle(cr, xs[column], ys[row], xs[column + 1] - xs[column], ys[row + 1] - ys[row]);
                    cairo_fill(cr);
                }
            }
        });
        return image ? image->stretchableImageWithLeftCapWidth(20, 15) : nullptr;
    }

    // Which column and row of the picture a pixel came from.
    static std::pair<int, int> sliceAt(const orvessa::Frame& frame, int x, int y)
    {
        Colour c = pixelAt(frame, x, y);
        return { c.r / 100, c.g / 100 };
    }
};

TEST_F(NineSlices, CornersKeepTheirSizeAndTheMiddleStretches)
{
    auto image = slicedPicture("sliced.png", 1);
    ASSERT_TRUE(image);
    auto view = UIImageView::initWithImage(image);
    view->setFrame(CGRectMake(0, 0, 200, 100));
    m_window->addSubview(view);
    orvessa::Frame frame = draw();

    // Caps: 20 columns left, 19 right; 15 rows top, 14 bottom, whatever the size drawn.
    const std::pair<int, int> columns[] = { { 0, 0 }, { 19, 0 }, { 20, 1 }, { 100, 1 }, { 180, 1 }, { 181, 2 }, { 199, 2 } };
    const std::pair<int, int> rows[] = { { 0, 0 }, { 14, 0 }, { 15, 1 }, { 50, 1 }, { 85, 1 }, { 86, 2 }, { 99, 2 } };
    for (auto [x, column] : columns) {
        for (auto [y, row] : rows)
            EXPECT_EQ(sliceAt(frame, x, y), std::pair(column, row)) << "pixel " << x << ", " << y;
    }
}

TEST_F(NineSlices, CapsAreInPointsForHighResolutionPictures)
{
    // The context's screen has two pixels per point, so the @2x file is chosen.
    slicedPicture("sliced@2x.png", 2);
    auto image = slicedPicture("sliced.png", 1);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->scale(), 2);
    auto view = UIImageView::initWithImage(image);
    view->setFrame(CGRectMake(0, 0, 100, 50));
    m_window->addSubview(view);
    orvessa::Frame frame = draw(2);

    const std::pair<int, int> columns[] = { { 0, 0 }, { 39, 0 }, { 40, 1 }, { 161, 1 }, { 162, 2 }, { 199, 2 } };
    for (auto [x, column] : columns)
        EXPECT_EQ(sliceAt(frame, x, 50).first, column) << "pixel " << x;
}

TEST_F(NineSlices, CapsShareATargetTooSmallForThem)
{
    auto image = slicedPicture("sliced.png", 1);
    ASSERT_TRUE(image);
    auto view = UIImageView::initWithImage(image);
    view->setFrame(CGRectMake(0, 0, 30, 20));
    m_window->addSubview(view);
    orvessa::Frame frame = draw();
    EXPECT_EQ(sliceAt(frame, 0, 0), std::pair(0, 0));
    EXPECT_EQ(sliceAt(frame, 29, 19), std::pair(2, 2));
    // The caps share the width in proportion: 20 to 19 of 30 columns, so 15 each.
    EXPECT_EQ(sliceAt(frame, 14, 10).first, 0);
    EXPECT_EQ(sliceAt(frame, 16, 10).first, 2);
}

TEST_F(ViewDrawing, InfoButtonDrawsCircledGlyphOnItsDisc)
{
    auto button = UIButton::buttonWithType(UIButtonTypeInfoLight);
    button->setBackgroundColor(UIColor::blackColor());
    button->layer().setCornerRadius(12);
    button->setFrame(CGRectMake(100, 50, 18, 19));
    m_window->addSubview(button);
    orvessa::Frame frame = draw(4);
    orvessa::Frame empty = drawEmpty(4);
    auto at = [&](double x, double y) { return colourAt(frame, 100 + x, 50 + y, 4); };
    auto white = [](Colour c) { return std::min({ c.r, c.g, c.b }) > 220; };
    auto black = [](Colour c) { return std::max({ c.r, c.g, c.b }) < 30; };
    EXPECT_TRUE(white(at(9, 9.5 + 7.25))) << "ring, bottom";
    EXPECT_TRUE(white(at(9 - 7.25, 9.5))) << "ring, left";
    EXPECT_TRUE(white(at(9, 9.5 - 3.5))) << "dot";
    EXPECT_TRUE(white(at(9, 9.5 + 2))) << "stem";
    EXPECT_TRUE(black(at(9, 9.5 - 5.6))) << "between dot and ring";
    EXPECT_TRUE(black(at(9 + 3.5, 9.5))) << "beside the stem";
    EXPECT_TRUE(black(at(9 + 8.5, 9.5))) << "the disc's rim";
    // The disc is rounded by the corner radius, clamped to half the width.
    EXPECT_EQ(frame.pixel(400, 200), empty.pixel(400, 200));
}

TEST_F(ViewDrawing, CustomButtonStretchesItsImageOverItsFrame)
{
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    button->setImage(solidPicture("button.png", 24, 24, kGreen), UIControlStateNormal);
    button->setFrame(CGRectMake(10, 10, 48, 30));
    m_window->addSubview(button);
    orvessa::Frame frame = draw();
    EXPECT_LE(difference(pixelAt(frame, 10, 10), kGreen), 1);
    EXPECT_LE(difference(pixelAt(frame, 57, 39), kGreen), 1);
    EXPECT_NE(difference(pixelAt(frame, 58, 39), kGreen), 0);
}

TEST_F(ViewDrawing, BlackTranslucentToolbarDarkensWhatIsBeneath)
{
    m_window->setBackgroundColor(UIColor::whiteColor());
    auto translucent = UIToolbar::initWithFrame(CGRectMake(0, 0, 200, 44));
    translucent->setBarStyle(UIBarStyleBlack);
    translucent->setTranslucent(true);
    auto opaque = UIToolbar::initWithFrame(CGRectMake(0, 60, 200, 44));
    opaque->setBarStyle(UIBarStyleBlack);
    m_window->addSubview(translucent);
    m_window->addSubview(opaque);
    orvessa::Frame frame = draw(2);

    Colour seeThrough = colourAt(frame, 100, 40, 2);
    Colour solid = colourAt(frame, 100, 100, 2);
    EXPECT_NEAR(seeThrough.r, 51, 8) << "a fifth of the white beneath";
    EXPECT_LT(solid.r, 8);
    // A line of light along the top edge, one pixel high.
    EXPECT_GT(pixelAt(frame, 100, 120).r, pixelAt(frame, 100, 121).r + 20);
}

TEST_F(ViewDrawing, ToolbarDrawsItemGlyphsButNotSpaces)
{
    auto toolbar = UIToolbar::initWithFrame(CGRectMake(0, 0, 200, 44));
    toolbar->setBarStyle(UIBarStyleBlack);
    auto space = UIBarButtonItem::initWithBarButtonSystemItem(UIBarButtonSystemItemFlexibleSpace, {}, {});
    auto play = UIBarButtonItem::initWithBarButtonSystemItem(UIBarButtonSystemItemPlay, {}, {});
    toolbar->setItems({ space, play, space });
    m_window->addSubview(toolbar);
    orvessa::Frame frame = draw(2);
    // The play item sits in the middle: 100 points across.
    auto whiteAt = [&](double x, double y) { return std::min({ colourAt(frame, x, y, 2).r, colourAt(frame, x, y, 2).g }) > 200; };
    EXPECT_TRUE(whiteAt(100, 22));
    EXPECT_FALSE(whiteAt(100 - 8, 22));
    EXPECT_FALSE(whiteAt(100 + 9, 22));
    int white = 0;
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x)
            white += pixelAt(frame, x, y).r > 200;
    }
    // One triangle of about 14 x 17 points at four pixels per point, and nothing for the spaces.
    EXPECT_GT(white, 300);
    EXPECT_LT(white, 600);
}

TEST_F(ViewDrawing, AlertDimsThePanelOnceWhateverIsQueued)
{
    m_window = UIWindow::initWithFrame(CGRectMake(0, 0, 320, 240));
    auto first = UIAlertView::initWithTitle("First", "Beneath.", {}, "OK");
    auto second = UIAlertView::initWithTitle("Second", "On top.", {}, "OK");
    orvessa::Frame plain = m_renderer.render(*m_window, {}, 0, 1);
    orvessa::Frame one = m_renderer.render(*m_window, { first }, 0, 1);
    orvessa::Frame two = m_renderer.render(*m_window, { first, second }, 0, 1);
    Colour before = pixelAt(plain, 5, 5);
    EXPECT_LE(difference(pixelAt(one, 5, 5), over({ 0, 0, 0 }, 0.4, before)), 1);
    EXPECT_EQ(one.pixel(5, 5), two.pixel(5, 5));
    EXPECT_EQ(one.pixel(35, 100), two.pixel(35, 100)) << "one box";
    EXPECT_EQ(one.pixel(50, 160), two.pixel(50, 160)) << "one button";
}

TEST_F(ViewDrawing, UndecodablePictureDrawsNothing)
{
    // A PNG header that promises pixels the file does not hold.
    auto image = solidPicture("broken.png", 30, 30, kRed);
    ASSERT_TRUE(image);
    auto bytes = std::filesystem::file_size(m_home.path() / "broken.png");
    std::filesystem::resize_file(m_home.path() / "broken.png", 40);
    auto view = UIImageView::initWithFrame(CGRectMake(0, 0, 100, 100));
    view->setImage(image);
    m_window->addSubview(view);
    orvessa::Frame frame = draw();
    orvessa::Frame empty = drawEmpty();
    EXPECT_GT(bytes, 40u);
    EXPECT_EQ(frame.pixel(50, 50), empty.pixel(50, 50));
    // Nothing to resample; the failure is kept so it is not retried every frame.
    EXPECT_EQ(m_renderer.cachedPictureCount(), 1u);
}

// Every change to a settled view, one frame at a time: a renderer that keeps pixels between frames
// must draw each exactly as a fresh one does.
TEST_F(ViewDrawing, KeptPixelsFollowEveryChangeToSettledViews)
{
    auto row = colouredView(CGRectMake(10, 10, 180, 100), UIColor { 0.2f, 0.3f, 0.4f, 1 });
    auto picture = UIImageView::initWithFrame(CGRectMake(10, 10, 80, 60));
    picture->setImage(solidPicture("one.png", 8, 6, kRed));
    auto toolbar = UIToolbar::initWithFrame(CGRectMake(0, 60, 180, 40));
    toolbar->setBarStyle(UIBarStyleBlack);
    auto play = UIBarButtonItem::initWithBarButtonSystemItem(UIBarButtonSystemItemPlay, {}, {});
    toolbar->setItems({ play });
    // Always animating, so every frame has settled views beneath it to keep.
    auto fading = colouredView(CGRectMake(150, 0, 40, 40), UIColor { 1, 1, 1, 1 });
    fading->setAlpha(0);
    UIView::beginAnimations("fade", nullptr);
    UIView::setAnimationDuration(1000);
    fading->setAlpha(1);
    UIView::commitAnimations();
    row->addSubview(picture);
    row->addSubview(toolbar);
    m_window->addSubview(row);
    m_window->addSubview(fading);
    auto otherImage = solidPicture("two.png", 8, 6, kBlue);

    const std::vector<std::pair<const char*, std::function<void()>>> changes {
        { "first frame", [] {} },
        // A renderer keeps pixels from its second frame on, so the third is the first to reuse them.
        { "nothing", [] {} },
        { "nothing again", [] {} },
        { "background colour", [&] { row->setBackgroundColor(UIColor { 0.5f, 0.1f, 0.1f, 1 }); } },
        { "alpha", [&] { picture->setAlpha(0.5f); } },
        { "image", [&] { picture->setImage(otherImage); } },
        { "content mode", [&] { picture->setContentMode(UIViewContentModeScaleAspectFit); picture->setFrame(CGRectMake(10, 10, 80, 30)); } },
        { "frame", [&] { row->setFrame(CGRectMake(5, 12, 180, 100)); } },
        { "corner radius", [&] { row->layer().setCornerRadius(8); } },
        { "masking", [&] { row->layer().setMasksToBounds(true); } },
        { "hidden", [&] { picture->setHidden(true); } },
        { "shown", [&] { picture->setHidden(false); } },
        { "bar style", [&] { toolbar->setBarStyle(UIBarStyleDefault); } },
        { "translucent", [&] { toolbar->setTranslucent(true); } },
        { "removed", [&] { picture->removeFromSuperview(); } },
        { "moved to another parent", [&] { toolbar->addSubview(picture); } },
    };
    std::size_t reused = 0;
    for (const auto& [name, change] : changes) {
        change();
        m_platform.advance(0.01);
        orvessa::Frame kept = draw(2);
        orvessa::Frame fresh = orvessa::renderPanel(*m_window, {}, m_platform.now(), 2);
        int mismatches = 0;
        for (int y = 0; y < fresh.height(); ++y) {
            for (int x = 0; x < fresh.width(); ++x)
                mismatches += kept.pixel(x, y) != fresh.pixel(x, y);
        }
        EXPECT_EQ(mismatches, 0) << "after a change of " << name;
        reused += m_renderer.reusedViewCount();
    }
    EXPECT_GT(reused, 0u);
}

TEST_F(ViewDrawing, KeptPixelsFollowAViewMovedUpALevel)
{
    // The same views in the same drawing order, only nested differently.
    auto container = UIView::initWithFrame(CGRectMake(50, 50, 100, 50));
    auto square = colouredView(CGRectMake(0, 0, 20, 20), UIColor { 1, 0, 0, 1 });
    container->addSubview(square);
    m_window->addSubview(container);
    orvessa::Frame nested = draw();
    square->removeFromSuperview();
    m_window->addSubview(square);
    orvessa::Frame flat = draw();
    EXPECT_LE(difference(pixelAt(nested, 55, 55), kRed), 1);
    EXPECT_LE(difference(pixelAt(flat, 5, 5), kRed), 1);
    EXPECT_GT(difference(pixelAt(flat, 55, 55), kRed), 100);
}

TEST_F(ViewDrawing, AlertWithUnprintableOrEndlessTextStillDraws)
{
    m_window = UIWindow::initWithFrame(CGRectMake(0, 0, 320, 240));
    orvessa::Frame plain = draw();
    // Bytes that are not UTF-8, a control character, and one word far wider than the box.
    auto alert = UIAlertView::initWithTitle("\xff\xfe Title \xc0\xaf", std::string("\x01 ") + std::string(20000, 'W'), {}, "\xed\xa0\x80");
    orvessa::Frame frame = draw();
    ASSERT_NO_THROW(frame = m_renderer.render(*m_window, { alert }, 0, 1));
    EXPECT_LE(difference(pixelAt(frame, 5, 5), over({ 0, 0, 0 }, 0.4, pixelAt(plain, 5, 5))), 1);
    int bright = 0;
    for (int y = 45; y < 149; ++y) {
        for (int x = 28; x < 292; ++x)
            bright += pixelAt(frame, x, y).r > 200;
    }
    EXPECT_GT(bright, 500) << "the text is drawn, clipped to the box";
}

TEST_F(ViewDrawing, PicturesAndRoundedMasksInsideAFadingParentStayInPlace)
{
    // The fading parent is drawn into a group of its own size, offset from the frame's corner.
    auto parent = UIView::initWithFrame(CGRectMake(30, 20, 100, 80));
    parent->addSubview(UIView::initWithFrame(CGRectMake(0, 0, 10, 10)));
    auto picture = UIImageView::initWithFrame(CGRectMake(10, 10, 40, 40));
    picture->setImage(solidPicture("red.png", 4, 4, kRed));
    picture->layer().setCornerRadius(6);
    picture->layer().setMasksToBounds(true);
    parent->addSubview(picture);
    parent->setAlpha(0.5f);
    m_window->addSubview(parent);
    orvessa::Frame frame = draw(2);
    orvessa::Frame empty = drawEmpty(2);

    Colour expected = over(kRed, 0.5, colourAt(empty, 60, 50, 2));
    EXPECT_LE(difference(colourAt(frame, 60, 50, 2), expected), 1);
    EXPECT_LE(difference(colourAt(frame, 40.5, 45, 2), over(kRed, 0.5, colourAt(empty, 40.5, 45, 2))), 1) << "left edge";
    EXPECT_LE(difference(colourAt(frame, 79.5, 45, 2), over(kRed, 0.5, colourAt(empty, 79.5, 45, 2))), 1) << "right edge";
    EXPECT_EQ(frame.pixel(80, 60), empty.pixel(80, 60)) << "rounded corner";
    EXPECT_EQ(frame.pixel(2 * 81, 2 * 45), empty.pixel(2 * 81, 2 * 45)) << "right of the picture";
}

TEST_F(ViewDrawing, HugeViewKeepsOnlyWhatCanBeSeen)
{
    // 30000 x 3000 points at scale 2: far beyond what may be kept whole, yet its visible part draws.
    auto view = UIImageView::initWithFrame(CGRectMake(-10000, -1000, 30000, 3000));
    view->setImage(solidPicture("big.png", 30, 3, kGreen));
    m_window->addSubview(view);
    orvessa::Frame frame = draw(2);
    EXPECT_LE(difference(pixelAt(frame, 0, 0), kGreen), 1);
    EXPECT_LE(difference(pixelAt(frame, 399, 239), kGreen), 1);
    EXPECT_EQ(m_renderer.cachedPictureCount(), 1u);
}

}
