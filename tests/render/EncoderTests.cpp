#include "render/ReadBack.h"

#include "render/AnimatedWebP.h"
#include "render/JpegEncoder.h"
#include "render/PngEncoder.h"

#include <gtest/gtest.h>

#include <cairo.h>
#include <webp/demux.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace {

using orvessa::Frame;

// Straight colour of the test pattern at a pixel: gradients, a hashed grain and, when asked, alpha
// that runs from fully transparent on the left to opaque on the right.
struct Straight {
    int r, g, b, a;
};

Straight patternAt(int x, int y, bool translucent, int shift = 0)
{
    unsigned hash = unsigned(x * 7919 + y * 104729 + shift * 31) * 2654435761u;
    int grain = int(hash >> 28) - 8;
    Straight colour { std::clamp((x * 255) / 40 + grain + shift, 0, 255), std::clamp((y * 255) / 30 - grain, 0, 255), (x * y + shift) % 256, 255 };
    if (translucent)
        colour.a = std::clamp(x * 255 / 39, 0, 255);
    return colour;
}

// A frame whose words, premultiplied ARGB as cairo keeps them, are set directly.
template<class WordAt>
Frame frameOfWords(int width, int height, WordAt wordAt)
{
    Frame frame(width, height);
    cairo_surface_flush(frame.surface());
    unsigned char* data = cairo_image_surface_get_data(frame.surface());
    int stride = cairo_image_surface_get_stride(frame.surface());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint32_t word = wordAt(x, y);
            std::memcpy(data + std::ptrdiff_t(y) * stride + x * 4, &word, 4);
        }
    }
    cairo_surface_mark_dirty(frame.surface());
    return frame;
}

Frame patternFrame(int width, int height, bool translucent, int shift = 0)
{
    return frameOfWords(width, height, [&](int x, int y) {
        Straight c = patternAt(x, y, translucent, shift);
        auto premultiplied = [&](int channel) { return std::uint32_t((channel * c.a + 127) / 255); };
        return std::uint32_t(c.a) << 24 | premultiplied(c.r) << 16 | premultiplied(c.g) << 8 | premultiplied(c.b);
    });
}

// The frame's own pixels, un-premultiplied, as a file should hold them.
Straight frameColour(const Frame& frame, int x, int y)
{
    std::uint32_t word = frame.pixel(x, y);
    int a = int(word >> 24);
    auto straight = [a](std::uint32_t channel) { return a == 0 ? 0 : std::min(255, int((channel & 0xff) * 255 + unsigned(a) / 2) / a); };
    return { straight(word >> 16), straight(word >> 8), straight(word), a };
}

// How many pixels of a picture read back differ from an opaque frame's, or are not opaque.
int opaquePixelsDiffering(const Frame& frame, const read_back::Picture& picture)
{
    if (picture.width != frame.width() || picture.height != frame.height())
        return frame.width() * frame.height();
    int wrong = 0;
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            Straight expected = frameColour(frame, x, y);
            const std::uint8_t* got = picture.at(x, y);
            wrong += got[0] != expected.r || got[1] != expected.g || got[2] != expected.b || got[3] != 255;
        }
    }
    return wrong;
}

TEST(PngEncoder, EverySettingDecodesToTheExactPixelsAsRgbWhenOpaque)
{
    Frame frame = patternFrame(40, 30, false);
    for (int level : { 0, 1, 6, 12 }) {
        for (auto filter : { orvessa::PngRowFilter::None, orvessa::PngRowFilter::Sub, orvessa::PngRowFilter::Up, orvessa::PngRowFilter::Paeth, orvessa::PngRowFilter::Adaptive }) {
            auto bytes = orvessa::encodePng(frame, { level, filter });
            SCOPED_TRACE("level " + std::to_string(level) + ", filter " + std::to_string(int(filter)));
            EXPECT_EQ(read_back::pngColourType(bytes), 2) << "opaque frames need no alpha";
            auto picture = read_back::png(bytes);
            ASSERT_TRUE(picture);
            ASSERT_EQ(picture->width, 40);
            ASSERT_EQ(picture->height, 30);
            EXPECT_EQ(opaquePixelsDiffering(frame, *picture), 0);
        }
    }
}

// An opaque frame whose pixels take `colours` distinct colours, in runs and scattered.
Frame framesOfColours(int width, int height, int colours)
{
    return frameOfWords(width, height, [colours](int x, int y) { return 0xFF000000u | std::uint32_t((x / 3 + y * 7) % colours * 40503 % 0x1000000); });
}

TEST(PngEncoder, FramesOfAtMost256ColoursAreWrittenWithAPaletteAndDecodeExactly)
{
    for (int colours : { 1, 5, 256, 257 }) {
        Frame frame = framesOfColours(90, 40, colours);
        for (auto filter : { orvessa::PngRowFilter::None, orvessa::PngRowFilter::Paeth, orvessa::PngRowFilter::Adaptive }) {
            SCOPED_TRACE(std::to_string(colours) + " colours, filter " + std::to_string(int(filter)));
            auto bytes = orvessa::encodePng(frame, { 1, filter });
            EXPECT_EQ(read_back::pngColourType(bytes), colours <= 256 ? 3 : 2);
            auto picture = read_back::png(bytes);
            ASSERT_TRUE(picture);
            EXPECT_EQ(opaquePixelsDiffering(frame, *picture), 0);
        }
    }
}

TEST(PngEncoder, TranslucentPixelsAreWrittenStraightWithTheirAlpha)
{
    Frame frame = patternFrame(40, 30, true);
    auto bytes = orvessa::encodePng(frame);
    EXPECT_EQ(read_back::pngColourType(bytes), 6);
    auto picture = read_back::png(bytes);
    ASSERT_TRUE(picture);
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            Straight expected = frameColour(frame, x, y);
            const std::uint8_t* got = picture->at(x, y);
            ASSERT_EQ(got[3], expected.a) << x << ", " << y;
            if (expected.a == 0)
                continue;
            // Straight colours from premultiplied ones: exact up to cairo's own rounding.
            EXPECT_EQ(got[0], expected.r) << x << ", " << y;
            EXPECT_EQ(got[1], expected.g) << x << ", " << y;
            EXPECT_EQ(got[2], expected.b) << x << ", " << y;
            // And close to what was meant before premultiplying, where alpha leaves the precision.
            if (expected.a > 128) {
                EXPECT_NEAR(got[0], patternAt(x, y, true).r, 1) << x << ", " << y;
            }
        }
    }
}

TEST(PngEncoder, EqualPixelsMakeEqualBytesAndBadInputIsRefused)
{
    EXPECT_EQ(orvessa::encodePng(patternFrame(33, 17, true)), orvessa::encodePng(patternFrame(33, 17, true)));
    EXPECT_NE(orvessa::encodePng(patternFrame(33, 17, true)), orvessa::encodePng(patternFrame(33, 17, true, 1)));
    Frame frame(2, 2);
    Frame taken(std::move(frame));
    EXPECT_THROW(orvessa::encodePng(frame), std::runtime_error); // NOLINT(bugprone-use-after-move): the moved-from state is the point.
    EXPECT_THROW(orvessa::encodePng(taken, { -1, orvessa::PngRowFilter::None }), std::invalid_argument);
    EXPECT_THROW(orvessa::encodePng(taken, { 13, orvessa::PngRowFilter::None }), std::invalid_argument);
}

TEST(JpegEncoder, DecodesCloseToTheFrameAndQualityTradesSizeForFidelity)
{
    Frame frame = patternFrame(64, 48, false);
    auto meanError = [&](const std::vector<std::uint8_t>& bytes) {
        auto picture = read_back::jpeg(bytes);
        EXPECT_TRUE(picture);
        if (!picture)
            return 1000.0;
        EXPECT_EQ(picture->width, 64);
        EXPECT_EQ(picture->height, 48);
        long total = 0;
        for (int y = 0; y < 48; ++y) {
            for (int x = 0; x < 64; ++x) {
                Straight expected = frameColour(frame, x, y);
                const std::uint8_t* got = picture->at(x, y);
                total += std::abs(got[0] - expected.r) + std::abs(got[1] - expected.g) + std::abs(got[2] - expected.b);
            }
        }
        return double(total) / (64 * 48 * 3);
    };
    auto best = orvessa::encodeJpeg(frame, 100);
    auto usual = orvessa::encodeJpeg(frame);
    auto poor = orvessa::encodeJpeg(frame, 10);
    EXPECT_LT(meanError(best), 2.0);
    EXPECT_LT(meanError(usual), 6.0);
    EXPECT_GT(meanError(poor), meanError(usual));
    EXPECT_LT(poor.size(), usual.size());
    EXPECT_LT(usual.size(), best.size());
    EXPECT_THROW(orvessa::encodeJpeg(frame, 0), std::invalid_argument);
    EXPECT_THROW(orvessa::encodeJpeg(frame, 101), std::invalid_argument);
}

TEST(JpegEncoder, TranslucentPixelsComeOutAsIfOverBlack)
{
    Frame frame(16, 16);
    cairo_t* cr = cairo_create(frame.surface());
    cairo_set_source_rgba(cr, 1, 1, 1, 0.5);
    cairo_paint(cr);
    cairo_destroy(cr);
    auto picture = read_back::jpeg(orvessa::encodeJpeg(frame, 100));
    ASSERT_TRUE(picture);
    EXPECT_NEAR(picture->at(8, 8)[0], 128, 2);
    EXPECT_NEAR(picture->at(8, 8)[2], 128, 2);
}

// Where each frame of an animated WebP lies on its canvas and how it is put there, as libwebp's
// demuxer reads the file.
struct FramePlacement {
    int x, y, width, height, durationMs;
    bool blends, disposes;
};

std::vector<FramePlacement> placements(const std::vector<std::uint8_t>& bytes, std::uint32_t* flags = nullptr)
{
    WebPData data { bytes.data(), bytes.size() };
    WebPDemuxer* demux = WebPDemux(&data);
    std::vector<FramePlacement> out;
    if (!demux) {
        ADD_FAILURE() << "libwebp cannot read the file";
        return out;
    }
    if (flags)
        *flags = WebPDemuxGetI(demux, WEBP_FF_FORMAT_FLAGS);
    WebPIterator frame;
    if (WebPDemuxGetFrame(demux, 1, &frame)) {
        do
            out.push_back({ frame.x_offset, frame.y_offset, frame.width, frame.height, frame.duration, frame.blend_method == WEBP_MUX_BLEND, frame.dispose_method == WEBP_MUX_DISPOSE_BACKGROUND });
        while (WebPDemuxNextFrame(&frame));
        WebPDemuxReleaseIterator(&frame);
    }
    WebPDemuxDelete(demux);
    return out;
}

// Mean difference of the colour channels over a rectangle, between a decoded canvas and a frame.
double meanError(const read_back::Picture& got, const Frame& expected, int x0, int y0, int x1, int y1)
{
    long total = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            Straight want = frameColour(expected, x, y);
            const std::uint8_t* pixel = got.at(x, y);
            total += std::abs(pixel[0] - want.r) + std::abs(pixel[1] - want.g) + std::abs(pixel[2] - want.b);
        }
    }
    return double(total) / ((x1 - x0) * (y1 - y0) * 3);
}

std::uint32_t riffSizeOf(const std::vector<std::uint8_t>& bytes)
{
    return std::uint32_t(bytes[4]) | std::uint32_t(bytes[5]) << 8 | std::uint32_t(bytes[6]) << 16 | std::uint32_t(bytes[7]) << 24;
}

TEST(AnimatedWebP, FramesAndTheirDurationsReadBackExactly)
{
    // Three pictures, the second held for three frame times: added once, it simply lasts longer.
    Frame first = patternFrame(40, 30, false, 0);
    Frame second = patternFrame(40, 30, false, 90);
    Frame third = patternFrame(40, 30, false, 180);
    orvessa::MemoryOutput output;
    orvessa::AnimatedWebP animation(output, 40, 30, 90);
    animation.addFrame(first, 0);
    animation.addFrame(second, 33);
    animation.addFrame(third, 133);
    EXPECT_EQ(animation.frameCount(), 3u);
    animation.finish(167);
    const auto& bytes = output.bytes();
    ASSERT_GT(bytes.size(), 12u);
    EXPECT_EQ(riffSizeOf(bytes), bytes.size() - 8) << "the size patched in at the end";
    auto decoded = read_back::webp(bytes);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->width, 40);
    EXPECT_EQ(decoded->height, 30);
    EXPECT_EQ(decoded->loopCount, 0) << "loops for ever";
    EXPECT_EQ(decoded->endsMs, (std::vector<int> { 33, 133, 167 }));
    ASSERT_EQ(decoded->frames.size(), 3u);
    // Lossy, so each frame is compared on average.
    const Frame* sources[] = { &first, &second, &third };
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_LT(meanError(decoded->frames[i], *sources[i], 0, 0, 40, 30), 12.0) << "frame " << i;
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 40; ++x)
                EXPECT_EQ(decoded->frames[i].at(x, y)[3], 255);
        }
    }
}

TEST(AnimatedWebP, OnlyTheChangedRectangleIsWrittenAndItReplacesWhatWasThere)
{
    // A picture, then the same with a patch changed at odd coordinates, then the patch alone made
    // fully transparent, then the same pixels again.
    Frame base = patternFrame(40, 30, false, 0);
    auto withPatch = [&](std::uint32_t word) {
        Frame frame = patternFrame(40, 30, false, 0);
        cairo_surface_flush(frame.surface());
        unsigned char* data = cairo_image_surface_get_data(frame.surface());
        int stride = cairo_image_surface_get_stride(frame.surface());
        for (int y = 7; y < 14; ++y) {
            for (int x = 11; x < 20; ++x)
                std::memcpy(data + std::ptrdiff_t(y) * stride + x * 4, &word, 4);
        }
        cairo_surface_mark_dirty(frame.surface());
        return frame;
    };
    Frame red = withPatch(0xFFE01010);
    Frame hole = withPatch(0);
    orvessa::MemoryOutput output;
    orvessa::AnimatedWebP animation(output, 40, 30, 90);
    animation.addFrame(base, 0);
    animation.addFrame(red, 50);
    animation.addFrame(hole, 100);
    animation.addFrame(withPatch(0), 150);
    animation.finish(250);
    EXPECT_EQ(animation.frameCount(), 3u) << "the last picture repeats the one before";

    std::uint32_t flags = 0;
    auto placed = placements(output.bytes(), &flags);
    ASSERT_EQ(placed.size(), 3u);
    EXPECT_EQ(placed[0].x, 0);
    EXPECT_EQ(placed[0].width, 40);
    EXPECT_EQ(placed[0].height, 30);
    // Columns 11 to 19 and rows 7 to 13, widened to start at even offsets.
    for (std::size_t i = 1; i < 3; ++i) {
        EXPECT_EQ(placed[i].x, 10) << i;
        EXPECT_EQ(placed[i].y, 6) << i;
        EXPECT_EQ(placed[i].width, 10) << i;
        EXPECT_EQ(placed[i].height, 8) << i;
    }
    for (const auto& frame : placed) {
        EXPECT_FALSE(frame.blends);
        EXPECT_FALSE(frame.disposes);
    }
    EXPECT_EQ(placed[2].durationMs, 150) << "lasts until the end, through the repeat";
    EXPECT_TRUE(flags & ALPHA_FLAG) << "a frame has alpha, and the header says so";
    EXPECT_TRUE(flags & ANIMATION_FLAG);

    auto decoded = read_back::webp(output.bytes());
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->frames.size(), 3u);
    EXPECT_EQ(decoded->endsMs, (std::vector<int> { 50, 100, 250 }));
    const auto& first = decoded->frames[0];
    const auto& second = decoded->frames[1];
    // Outside the rectangle the canvas keeps the first frame's decoded pixels exactly.
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            bool inside = x >= 10 && x < 20 && y >= 6 && y < 14;
            if (!inside) {
                ASSERT_EQ(std::memcmp(second.at(x, y), first.at(x, y), 4), 0) << x << ", " << y;
            }
        }
    }
    // Lossy: a saturated patch blurs at its edges, so its inside is what must be close.
    EXPECT_LT(meanError(second, red, 13, 9, 20, 14), 12.0);
    // Without blending, transparent pixels replace the red rather than showing it through.
    EXPECT_EQ(decoded->frames[2].at(15, 10)[3], 0);
    EXPECT_EQ(decoded->frames[2].at(10, 6)[3], 255) << "the unchanged edge of the rectangle stays opaque";
}

TEST(AnimatedWebP, TranslucentFramesKeepTheirAlpha)
{
    Frame frame = patternFrame(40, 30, true);
    orvessa::MemoryOutput output;
    orvessa::AnimatedWebP animation(output, 40, 30, 90);
    animation.addFrame(frame, 0);
    animation.finish(40);
    auto decoded = read_back::webp(output.bytes());
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->frames.size(), 1u);
    for (int y = 0; y < 30; y += 3) {
        for (int x = 0; x < 40; x += 3)
            EXPECT_NEAR(decoded->frames[0].at(x, y)[3], frameColour(frame, x, y).a, 2) << x << ", " << y;
    }
}

TEST(AnimatedWebP, AFrameLongerThanOneCanSayIsWrittenAgainUntilItsTimeIsUp)
{
    constexpr int kLongest = orvessa::WebPContainer::kLongestFrameMs;
    Frame first = patternFrame(10, 10, false, 0);
    Frame second = patternFrame(10, 10, false, 70);
    orvessa::MemoryOutput output;
    orvessa::AnimatedWebP animation(output, 10, 10);
    animation.addFrame(first, 0);
    animation.addFrame(second, 2LL * kLongest + 5);
    animation.finish(2LL * kLongest + 25);
    auto placed = placements(output.bytes());
    ASSERT_EQ(placed.size(), 4u);
    EXPECT_EQ(placed[0].durationMs, kLongest);
    EXPECT_EQ(placed[1].durationMs, kLongest);
    EXPECT_EQ(placed[2].durationMs, 5);
    EXPECT_EQ(placed[3].durationMs, 20);
    auto decoded = read_back::webp(output.bytes());
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->frames.size(), 4u);
    EXPECT_EQ(decoded->frames[0].rgba, decoded->frames[2].rgba) << "the pieces show the same picture";
    EXPECT_NE(decoded->frames[2].rgba, decoded->frames[3].rgba);
}

TEST(AnimatedWebP, RefusesWhatWouldBreakTheTimeline)
{
    orvessa::MemoryOutput output;
    EXPECT_THROW(orvessa::AnimatedWebP(output, 0, 10), std::invalid_argument);
    EXPECT_THROW(orvessa::AnimatedWebP(output, 16384, 10), std::invalid_argument);
    EXPECT_THROW(orvessa::AnimatedWebP(output, 10, 10, 0), std::invalid_argument);
    EXPECT_THROW(orvessa::AnimatedWebP(output, 10, 10, 80, 7), std::invalid_argument);
    EXPECT_TRUE(output.bytes().empty()) << "nothing written for a refused animation";
    orvessa::AnimatedWebP animation(output, 10, 10);
    EXPECT_THROW(animation.finish(10), std::logic_error) << "no frame yet";
    animation.addFrame(patternFrame(10, 10, false), 0);
    EXPECT_THROW(animation.addFrame(patternFrame(10, 10, false), 0), std::invalid_argument) << "the same timestamp again";
    EXPECT_THROW(animation.addFrame(patternFrame(12, 10, false), 50), std::invalid_argument) << "another size";
    animation.addFrame(patternFrame(10, 10, false), 60);
    EXPECT_THROW(animation.finish(60), std::invalid_argument) << "ends at its last frame, even an unchanged one";
    animation.finish(61);
    EXPECT_TRUE(read_back::webp(output.bytes()));
    EXPECT_THROW(animation.addFrame(patternFrame(10, 10, false), 100), std::logic_error);
}

}
