#include "render/Frame.h"
#include "render/PngEncoder.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <cstring>
#include <stdexcept>
#include <utility>

namespace {

void fill(orvessa::Frame& frame, double r, double g, double b, double a)
{
    cairo_t* cr = cairo_create(frame.surface());
    cairo_set_source_rgba(cr, r, g, b, a);
    cairo_paint(cr);
    cairo_destroy(cr);
}

TEST(Frame, StartsTransparentAtItsSizeSmallOrLarge)
{
    // Asked for huge pages, 640 x 480 gets them and 7 x 5 comes from the heap.
    for (auto memory : { orvessa::FrameMemory::HugePages, orvessa::FrameMemory::Heap }) {
        for (auto [width, height] : { std::pair { 7, 5 }, std::pair { 640, 480 }, std::pair { 1001, 333 } }) {
            orvessa::Frame frame(width, height, memory);
            EXPECT_EQ(frame.width(), width);
            EXPECT_EQ(frame.height(), height);
            EXPECT_EQ(cairo_image_surface_get_stride(frame.surface()), cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, width));
            bool transparent = true;
            for (int y = 0; y < height; y += 7) {
                for (int x = 0; x < width; x += 3)
                    transparent = transparent && frame.pixel(x, y) == 0u;
            }
            EXPECT_TRUE(transparent) << width << " x " << height;
            EXPECT_EQ(frame.pixel(width - 1, height - 1), 0u);
            fill(frame, 0, 0, 1, 1);
            EXPECT_EQ(frame.pixel(width - 1, height - 1), 0xFF0000FFu);
            orvessa::Frame moved = std::move(frame);
            EXPECT_EQ(moved.pixel(0, 0), 0xFF0000FFu);
        }
    }
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

struct ByteReader {
    const std::vector<std::uint8_t>& bytes;
    std::size_t at { 0 };
};

cairo_status_t readBytes(void* closure, unsigned char* data, unsigned int length)
{
    auto* reader = static_cast<ByteReader*>(closure);
    if (reader->bytes.size() - reader->at < length)
        return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, reader->bytes.data() + reader->at, length);
    reader->at += length;
    return CAIRO_STATUS_SUCCESS;
}

TEST(Frame, EncodesPngThatDecodesToTheSamePixels)
{
    orvessa::Frame frame(6, 4);
    fill(frame, 0.2, 0.4, 0.6, 1);
    std::vector<std::uint8_t> png = orvessa::encodePng(frame);
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(std::vector<std::uint8_t>(png.begin(), png.begin() + 8), (std::vector<std::uint8_t> { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n' }));

    // cairo reads an opaque PNG without alpha; copy it into a frame to compare.
    ByteReader reader { png };
    cairo_surface_t* read = cairo_image_surface_create_from_png_stream(readBytes, &reader);
    ASSERT_EQ(cairo_surface_status(read), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(reader.at, png.size()) << "the whole stream is one PNG";
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

TEST(Frame, EncodingAnEmptyFrameIsAnError)
{
    orvessa::Frame frame(2, 2);
    orvessa::Frame taken(std::move(frame));
    EXPECT_THROW(orvessa::encodePng(frame), std::runtime_error); // NOLINT(bugprone-use-after-move): the moved-from state is the point.
    EXPECT_FALSE(orvessa::encodePng(taken).empty());
}

}
