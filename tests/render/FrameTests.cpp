#include "render/Frame.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <stdexcept>
#include <utility>

namespace {

using testing_support::TempFolder;

void fill(orvessa::Frame& frame, double r, double g, double b, double a)
{
    cairo_t* cr = cairo_create(frame.surface());
    cairo_set_source_rgba(cr, r, g, b, a);
    cairo_paint(cr);
    cairo_destroy(cr);
}

TEST(Frame, StartsTransparentAtItsSize)
{
    orvessa::Frame frame(7, 5);
    EXPECT_EQ(frame.width(), 7);
    EXPECT_EQ(frame.height(), 5);
    EXPECT_EQ(frame.pixel(0, 0), 0u);
    EXPECT_EQ(frame.pixel(6, 4), 0u);
}

TEST(Frame, ReadsPixelsAsPremultipliedArgbAndNothingOutside)
{
    orvessa::Frame frame(4, 3);
    fill(frame, 1, 0, 0, 1);
    EXPECT_EQ(frame.pixel(3, 2), 0xffff0000u);
    orvessa::Frame glass(4, 3);
    fill(glass, 0, 0, 1, 0.5);
    std::uint32_t translucent = glass.pixel(1, 1);
    EXPECT_EQ(translucent >> 24, 0x80u);
    EXPECT_EQ(translucent & 0xff, 0x80u);
    for (auto [x, y] : { std::pair { -1, 0 }, { 0, -1 }, { 4, 0 }, { 0, 3 } })
        EXPECT_EQ(frame.pixel(x, y), 0u) << x << ", " << y;
}

TEST(Frame, MovesItsSurfaceAndLeavesAnEmptyFrame)
{
    orvessa::Frame first(3, 2);
    cairo_surface_t* surface = first.surface();
    orvessa::Frame second(std::move(first));
    EXPECT_EQ(second.surface(), surface);
    EXPECT_EQ(first.surface(), nullptr); // NOLINT(bugprone-use-after-move): the moved-from state is the point.
    EXPECT_EQ(first.width(), 0);
    EXPECT_EQ(first.pixel(0, 0), 0u);

    orvessa::Frame third(1, 1);
    third = std::move(second);
    EXPECT_EQ(third.surface(), surface);
    EXPECT_EQ(third.width(), 3);
    EXPECT_EQ(second.surface(), nullptr); // NOLINT(bugprone-use-after-move)
}

TEST(Frame, RefusesSizesCairoCannotMake)
{
    EXPECT_THROW(orvessa::Frame(-1, 10), std::runtime_error);
    EXPECT_THROW(orvessa::Frame(40000, 10), std::runtime_error);
    EXPECT_THROW(orvessa::Frame::adopt(cairo_image_surface_create(CAIRO_FORMAT_A8, 4, 4)), std::runtime_error);
}

TEST(Frame, WritesPngThatReadsBackTheSamePixels)
{
    TempFolder folder;
    orvessa::Frame frame(6, 4);
    fill(frame, 0.2, 0.4, 0.6, 1);
    auto path = folder.path() / "frame.png";
    frame.writePng(path);

    // cairo reads an opaque PNG without alpha; copy it into a frame to compare.
    cairo_surface_t* read = cairo_image_surface_create_from_png(path.c_str());
    ASSERT_EQ(cairo_surface_status(read), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(read), 6);
    EXPECT_EQ(cairo_image_surface_get_height(read), 4);
    orvessa::Frame back(6, 4);
    cairo_t* cr = cairo_create(back.surface());
    cairo_set_source_surface(cr, read, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(read);
    EXPECT_EQ(back.pixel(5, 3), frame.pixel(5, 3));
    EXPECT_EQ(back.pixel(0, 0), 0xff336699u);
}

TEST(Frame, WritePngFailureNamesTheFile)
{
    TempFolder folder;
    orvessa::Frame frame(2, 2);
    auto path = folder.path() / "missing-folder" / "frame.png";
    try {
        frame.writePng(path);
        FAIL() << "no error for a folder that does not exist";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find(path.string()), std::string::npos) << error.what();
    }
}

}
