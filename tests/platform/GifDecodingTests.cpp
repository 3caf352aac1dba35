#include "platform/ImageDecoder.h"
#include "platform/ImageHeader.h"
#include "support/TestSupport.h"
#include "tools/pictures/GifLzw.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>
#include <string>

// GIFs as encoders really write them, made by a small LZW encoder here: with or without a leading
// clear code, with the clear code deferred once the table is full, interlaced, framed anywhere on
// the canvas, with local colours and transparency.

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Rgba {
    int r { 0 };
    int g { 0 };
    int b { 0 };
    int a { 255 };
    bool operator==(const Rgba&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Rgba& c)
{
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ", " << c.a << ")";
}

const Rgba kTransparent { 0, 0, 0, 0 };

void putLittleEndian(Bytes& out, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

struct Frame {
    int left { 0 };
    int top { 0 };
    int width { 0 };
    int height { 0 };
    std::vector<int> indices; // Row by row, top first, as displayed.
    bool interlaced { false };
    std::vector<Rgba> localColours;
    int transparentIndex { -1 };
};

// Eight global colours, index i as (i * 30, 255 - i * 30, i * 20).
Rgba globalColour(int i) { return { i * 30, 255 - i * 30, i * 20 }; }

Bytes makeGif(int width, int height, const std::vector<Frame>& frames, pictures::GifLzwOptions options = {}, bool globalTable = true)
{
    Bytes out { 'G', 'I', 'F', '8', '9', 'a' };
    putLittleEndian(out, static_cast<std::uint32_t>(width), 2);
    putLittleEndian(out, static_cast<std::uint32_t>(height), 2);
    out.insert(out.end(), { static_cast<std::uint8_t>(globalTable ? 0x82 : 0), 0, 0 });
    for (int i = 0; globalTable && i < 8; ++i) {
        const Rgba c = globalColour(i);
        out.insert(out.end(), { static_cast<std::uint8_t>(c.r), static_cast<std::uint8_t>(c.g), static_cast<std::uint8_t>(c.b) });
    }
    for (const Frame& frame : frames) {
        const bool transparent = frame.transparentIndex >= 0;
        out.insert(out.end(), { 0x21, 0xF9, 4, static_cast<std::uint8_t>(transparent ? 1 : 0), 10, 0, static_cast<std::uint8_t>(transparent ? frame.transparentIndex : 0), 0 });
        out.push_back(0x2C);
        putLittleEndian(out, static_cast<std::uint32_t>(frame.left), 2);
        putLittleEndian(out, static_cast<std::uint32_t>(frame.top), 2);
        putLittleEndian(out, static_cast<std::uint32_t>(frame.width), 2);
        putLittleEndian(out, static_cast<std::uint32_t>(frame.height), 2);
        std::uint8_t flags = frame.interlaced ? 0x40 : 0;
        if (!frame.localColours.empty())
            flags |= 0x81; // Four local colours.
        out.push_back(flags);
        for (std::size_t i = 0; i < 4 && !frame.localColours.empty(); ++i) {
            const Rgba c = i < frame.localColours.size() ? frame.localColours[i] : Rgba {};
            out.insert(out.end(), { static_cast<std::uint8_t>(c.r), static_cast<std::uint8_t>(c.g), static_cast<std::uint8_t>(c.b) });
        }
        std::vector<int> stored;
        if (!frame.interlaced) {
            stored = frame.indices;
        } else {
            for (auto [start, step] : { std::pair { 0, 8 }, std::pair { 4, 8 }, std::pair { 2, 4 }, std::pair { 1, 2 } }) {
                for (int y = start; y < frame.height; y += step)
                    stored.insert(stored.end(), frame.indices.begin() + y * frame.width, frame.indices.begin() + (y + 1) * frame.width);
            }
        }
        const Bytes data = encodeGifLzw(stored, 3, options);
        out.insert(out.end(), data.begin(), data.end());
    }
    out.push_back(0x3B);
    return out;
}

Frame pattern(int width, int height, int seed = 0)
{
    Frame frame { 0, 0, width, height, {}, false, {}, -1 };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            frame.indices.push_back((x / 2 + y * 3 + seed) % 8);
    }
    return frame;
}

Rgba pixelAt(const DecodedImage& image, int x, int y)
{
    std::uint32_t word;
    std::memcpy(&word, image.pixels.data() + static_cast<std::size_t>(y) * image.stride + static_cast<std::size_t>(x) * 4, 4);
    return { static_cast<int>(word >> 16 & 0xFF), static_cast<int>(word >> 8 & 0xFF), static_cast<int>(word & 0xFF), static_cast<int>(word >> 24) };
}

::testing::AssertionResult looksLike(const DecodedImage& image, int width, int height, const std::function<Rgba(int, int)>& expected)
{
    if (image.width != width || image.height != height)
        return ::testing::AssertionFailure() << "size " << image.width << " x " << image.height << ", wanted " << width << " x " << height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (pixelAt(image, x, y) != expected(x, y))
                return ::testing::AssertionFailure() << "at " << x << ", " << y << ": " << pixelAt(image, x, y) << ", wanted " << expected(x, y);
        }
    }
    return ::testing::AssertionSuccess();
}

std::function<Rgba(int, int)> framePixels(const Frame& frame)
{
    return [&frame](int x, int y) {
        const int fx = x - frame.left, fy = y - frame.top;
        if (fx < 0 || fy < 0 || fx >= frame.width || fy >= frame.height)
            return kTransparent;
        const int index = frame.indices[static_cast<std::size_t>(fy * frame.width + fx)];
        if (index == frame.transparentIndex)
            return kTransparent;
        return frame.localColours.empty() ? globalColour(index) : frame.localColours[static_cast<std::size_t>(index)];
    };
}

class GifDecoding : public ::testing::Test {
protected:
    std::optional<DecodedImage> decode(const Bytes& bytes, int targetWidth = 0, int targetHeight = 0)
    {
        return decodeImage(m_folder.write("picture-" + std::to_string(m_count++) + ".gif", bytes), targetWidth, targetHeight);
    }

    testing_support::TempFolder m_folder;
    int m_count { 0 };
};

}

TEST_F(GifDecoding, EncodersWithoutALeadingClearOrWithADeferredClearAreRead)
{
    // Random indices fill the 4096-code table several times over in a 150 x 120 picture.
    std::mt19937 random(5);
    Frame noise { 0, 0, 150, 120, {}, false, {}, -1 };
    for (int i = 0; i < 150 * 120; ++i)
        noise.indices.push_back(static_cast<int>(random() % 8));
    const struct {
        const char* name;
        pictures::GifLzwOptions options;
    } encoders[] = {
        { "clear first, clear when full", { true, true } },
        { "no leading clear", { false, true } },
        { "deferred clear", { true, false } },
        { "neither", { false, false } },
    };
    for (const auto& encoder : encoders) {
        SCOPED_TRACE(encoder.name);
        auto image = decode(makeGif(150, 120, { noise }, encoder.options));
        ASSERT_TRUE(image);
        EXPECT_TRUE(looksLike(*image, 150, 120, framePixels(noise)));
    }
}

// A 1 x 1 GIF whose data holds `clearBytes` bytes of clear codes (two a byte), then index 5.
Bytes clearCodesThenAPixel(std::size_t clearBytes)
{
    Bytes gif = makeGif(1, 1, { pattern(1, 1) });
    const std::size_t data = 13 + 24 + 8 + 10;
    gif.resize(data + 1); // Keeps the minimum code size, 3: clear is 8, end 9, codes 4 bits wide.
    Bytes packed(clearBytes, 0x88);
    packed.insert(packed.end(), { 0x95, 0x00 }); // Index 5, then the end code.
    for (std::size_t at = 0; at < packed.size(); at += 255) {
        const std::size_t n = std::min<std::size_t>(255, packed.size() - at);
        gif.push_back(static_cast<std::uint8_t>(n));
        gif.insert(gif.end(), packed.begin() + static_cast<std::ptrdiff_t>(at), packed.begin() + static_cast<std::ptrdiff_t>(at + n));
    }
    gif.insert(gif.end(), { 0, 0x3B });
    return gif;
}

TEST_F(GifDecoding, ClearCodesCostTheirBytesAndReadingStopsPastWhatAPictureNeeds)
{
    // 120,000 clear codes before the pixel: read one by one (a reader that wipes its table at
    // every clear spends a quarter of a second here).
    auto image = decode(clearCodesThenAPixel(60'000));
    ASSERT_TRUE(image);
    EXPECT_EQ(pixelAt(*image, 0, 0), globalColour(5));
    // A megabyte of them is more than any encoder writes for one pixel: reading stops there.
    image = decode(clearCodesThenAPixel(1'000'000));
    ASSERT_TRUE(image);
    EXPECT_EQ(pixelAt(*image, 0, 0), kTransparent);
}

TEST_F(GifDecoding, InterlacedFramesComeOutInDisplayOrder)
{
    for (int height : { 1, 2, 5, 9, 19 }) {
        SCOPED_TRACE(std::to_string(height) + " rows");
        Frame frame = pattern(7, height);
        frame.interlaced = true;
        auto image = decode(makeGif(7, height, { frame }));
        ASSERT_TRUE(image);
        EXPECT_TRUE(looksLike(*image, 7, height, framePixels(frame)));
    }
}

TEST_F(GifDecoding, FramesAnywhereOnTheCanvasAreClippedToIt)
{
    // Inside: the rest of the canvas is transparent. Hanging over the right and bottom edges:
    // the part on the canvas is drawn, where a stricter reader refused the file.
    for (bool interlaced : { false, true }) {
        for (auto [left, top] : { std::pair { 2, 1 }, std::pair { 4, 3 }, std::pair { 0, 0 } }) {
            SCOPED_TRACE(std::string(interlaced ? "interlaced, " : "") + "at " + std::to_string(left) + ", " + std::to_string(top));
            Frame frame = pattern(5, 4, left);
            frame.left = left;
            frame.top = top;
            frame.interlaced = interlaced;
            auto image = decode(makeGif(6, 5, { frame }));
            ASSERT_TRUE(image);
            EXPECT_TRUE(looksLike(*image, 6, 5, framePixels(frame)));
        }
    }
    // A frame starting past the canvas leaves it transparent.
    Frame away = pattern(3, 3);
    away.left = 40;
    auto image = decode(makeGif(6, 5, { away }));
    ASSERT_TRUE(image);
    EXPECT_EQ(pixelAt(*image, 5, 4), kTransparent);
}

TEST_F(GifDecoding, LocalColoursAndTheTransparentIndexOfTheFirstFrameApply)
{
    Frame frame = pattern(6, 4);
    for (int& index : frame.indices)
        index %= 4;
    frame.localColours = { { 255, 0, 0 }, { 0, 255, 0 }, { 0, 0, 255 }, { 9, 9, 9 } };
    frame.transparentIndex = 2;
    Frame second = pattern(6, 4, 3); // Not shown.
    auto image = decode(makeGif(6, 4, { frame, second }));
    ASSERT_TRUE(image);
    EXPECT_TRUE(looksLike(*image, 6, 4, framePixels(frame)));

    // Reduced, transparency averages in premultiplied colour: a 2 x 2 block of one opaque red and
    // three transparent pixels is a quarter-covered red.
    Frame quarter { 0, 0, 4, 4, { 0, 2, 0, 2, 2, 2, 2, 2, 0, 2, 0, 2, 2, 2, 2, 2 }, false, frame.localColours, 2 };
    auto reduced = decode(makeGif(4, 4, { quarter }), 2, 2);
    ASSERT_TRUE(reduced);
    ASSERT_EQ(reduced->width, 2);
    EXPECT_EQ(pixelAt(*reduced, 1, 1), (Rgba { 64, 0, 0, 64 }));
}

TEST_F(GifDecoding, BrokenFilesGiveWhatTheyHoldOrNothingAndSayWhy)
{
    // Cut inside the data, which spans many 255-byte blocks: the lines of the blocks that came are
    // kept, the rest is transparent.
    std::mt19937 random(9);
    Frame frame { 0, 0, 8, 200, {}, false, {}, -1 };
    for (int i = 0; i < 8 * 200; ++i)
        frame.indices.push_back(static_cast<int>(random() % 8));
    Bytes cut = makeGif(8, 200, { frame });
    ASSERT_GT(cut.size(), 600u);
    cut.resize(cut.size() / 2);
    auto image = decode(cut);
    ASSERT_TRUE(image);
    EXPECT_EQ(pixelAt(*image, 3, 0), framePixels(frame)(3, 0));
    EXPECT_EQ(pixelAt(*image, 7, 5), framePixels(frame)(7, 5));
    EXPECT_EQ(pixelAt(*image, 3, 199), kTransparent);

    // No colour table anywhere, or no frame at all: nothing to draw.
    EXPECT_FALSE(decode(makeGif(8, 40, { frame }, {}, false)));
    EXPECT_FALSE(decode(makeGif(8, 40, {})));

    // A frame larger than the pixel limit is refused even on a small canvas: it would cost its
    // whole area in time.
    Bytes hugeFrame = makeGif(8, 8, { pattern(8, 8) });
    const std::size_t descriptor = 13 + 24 + 8;
    ASSERT_EQ(hugeFrame[descriptor], 0x2C);
    hugeFrame[descriptor + 5] = 0xFF; // Width 65535...
    hugeFrame[descriptor + 6] = 0xFF;
    hugeFrame[descriptor + 7] = 0xFF; // ... by 65535.
    hugeFrame[descriptor + 8] = 0xFF;
    EXPECT_FALSE(decode(hugeFrame));

    // The header's own refusals.
    Bytes noSize = makeGif(8, 8, { pattern(8, 8) });
    noSize[6] = noSize[7] = 0;
    EXPECT_NE(checkImageHeader(noSize).problem.find("no width or height"), std::string::npos);
    EXPECT_FALSE(decode(noSize));
    Bytes tooLarge = makeGif(8, 8, { pattern(8, 8) });
    tooLarge[6] = tooLarge[8] = 0x01;
    tooLarge[7] = tooLarge[9] = 0x10; // 4097 x 4097.
    EXPECT_NE(checkImageHeader(tooLarge).problem.find("beyond the 16.8-megapixel limit"), std::string::npos);
    EXPECT_FALSE(decode(tooLarge));
}
