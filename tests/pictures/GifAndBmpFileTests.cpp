#include "platform/ImageDecoder.h"
#include "platform/ImageHeader.h"
#include "support/TestSupport.h"
#include "tools/pictures/Bmp.h"
#include "tools/pictures/Gif.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

// GIF and BMP files read back by the toolkit's decoder, which is stb_image for both formats.

namespace {

using namespace pictures;

Rgba pixelAt(const DecodedImage& image, int x, int y)
{
    std::uint32_t word = 0;
    std::memcpy(&word, image.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(image.stride) + static_cast<std::size_t>(x) * 4, 4);
    return { static_cast<int>(word >> 16 & 0xFF), static_cast<int>(word >> 8 & 0xFF), static_cast<int>(word & 0xFF), static_cast<int>(word >> 24) };
}

::testing::AssertionResult same(Rgba actual, Rgba expected)
{
    if (actual.r == expected.r && actual.g == expected.g && actual.b == expected.b && actual.a == expected.a)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got (" << actual.r << ", " << actual.g << ", " << actual.b << ", " << actual.a << "), wanted (" << expected.r << ", "
                                         << expected.g << ", " << expected.b << ", " << expected.a << ")";
}

class DecodedFile : public ::testing::Test {
protected:
    std::optional<DecodedImage> decode(const Bytes& bytes) { return decodeImage(m_folder.write("picture-" + std::to_string(m_count++), bytes), 0, 0); }

private:
    testing_support::TempFolder m_folder;
    int m_count { 0 };
};

using GifFile = DecodedFile;
using BmpFile = DecodedFile;

const std::array<Rgba, 4> colours { Rgba { 220, 30, 40 }, Rgba { 30, 200, 60 }, Rgba { 20, 40, 210 }, Rgba { 128, 128, 128 } };

TEST_F(GifFile, EveryIndexLandsOnItsPixel)
{
    // 120 x 9 pixels make about 2,000 bytes of codes: several sub-blocks, so a code split across
    // a block boundary is read too.
    constexpr int width = 120, height = 9;
    std::vector<std::uint8_t> indices(width * height);
    for (std::size_t i = 0; i < indices.size(); ++i)
        indices[i] = static_cast<std::uint8_t>((i * 7 + i / width) % 4);
    const Bytes gif = encodeGif(width, height, colours, { { width, height, indices, 3 } });
    ASSERT_GT(gif.size(), 13u + 12 + 8 + 10 + 2 * 256);
    auto image = decode(gif);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->width, width);
    ASSERT_EQ(image->height, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint8_t index = indices[static_cast<std::size_t>(y * width + x)];
            const Rgba expected = index == 3 ? Rgba { 0, 0, 0, 0 } : colours[index];
            ASSERT_TRUE(same(pixelAt(*image, x, y), expected)) << x << ", " << y;
        }
    }
}

TEST_F(GifFile, FramesThatDoNotFitAreRefused)
{
    EXPECT_THROW(encodeGif(2, 2, colours, { { 2, 2, { 0, 1, 2 }, -1 } }), std::invalid_argument);
    EXPECT_THROW(encodeGif(2, 2, colours, { { 2, 2, { 0, 1, 2, 4 }, -1 } }), std::invalid_argument);
    EXPECT_THROW(encodeGif(0, 2, colours, {}), std::invalid_argument);
    EXPECT_THROW(encodeGif(65'536, 2, colours, {}), std::invalid_argument);
}

TEST_F(BmpFile, PaddedRowsDecodeInEitherOrder)
{
    // Five pixels of three bytes need a byte of padding on every row.
    const Painter pattern = [](int x, int y) { return Rgba { x * 50, y * 100, 255 - x * 10, x == 4 ? 0 : 255 }; };
    for (PixelFormat format : { PixelFormat::Rgb, PixelFormat::Rgba }) {
        for (bool topDown : { false, true }) {
            SCOPED_TRACE(std::string(topDown ? "top-down" : "bottom-up") + (format == PixelFormat::Rgba ? ", from RGBA" : ""));
            const Bytes bmp = encodeBmp(paint(5, 3, pattern, format), { .topDown = topDown });
            EXPECT_EQ(bmp.size(), 54u + 16 * 3);
            auto image = decode(bmp);
            ASSERT_TRUE(image);
            ASSERT_EQ(image->width, 5);
            ASSERT_EQ(image->height, 3);
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 5; ++x)
                    EXPECT_TRUE(same(pixelAt(*image, x, y), { x * 50, y * 100, 255 - x * 10, 255 })) << x << ", " << y;
        }
    }
}

TEST_F(BmpFile, DeclaredSizeIsWhatReadersSee)
{
    const auto header = readImageHeader(withDeclaredBmpSize(encodeBmp(paint(2, 2, solid({ 1, 2, 3 }))), 300, 200));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->format, ImageFormat::BMP);
    EXPECT_EQ(header->pixelWidth, 300);
    EXPECT_EQ(header->pixelHeight, 200);
    EXPECT_THROW(withDeclaredBmpSize(Bytes { 'B', 'M', 0 }, 1, 1), std::invalid_argument);
}

}
