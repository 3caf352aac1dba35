#include "tools/pictures/Png.h"

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>

// The PNG files the decoder tests and the widget's pictures are made of, read back by libpng
// without any transformation.

namespace {

using namespace pictures;

struct ReadPng {
    png_uint_32 width { 0 };
    png_uint_32 height { 0 };
    int bitDepth { 0 };
    int colourType { 0 };
    int interlace { 0 };
    bool srgb { false };
    std::vector<png_color> palette;
    std::vector<png_byte> paletteAlpha;
    std::optional<png_color_16> transparentColour;
    std::vector<Bytes> rows;
};

// Everything libpng touches between setjmp and its last call is plain data or lives in `out`.
struct Reading {
    const Bytes* png { nullptr };
    std::size_t at { 0 };
    ReadPng* out { nullptr };
};

void readBytes(png_structp png, png_bytep data, png_size_t length)
{
    auto* reading = static_cast<Reading*>(png_get_io_ptr(png));
    if (reading->png->size() - reading->at < length)
        png_error(png, "read past the end");
    std::memcpy(data, reading->png->data() + reading->at, length);
    reading->at += length;
}

bool readWithLibpng(png_structp png, png_infop info, Reading& reading, bool headerOnly)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_read_fn(png, &reading, readBytes);
    ReadPng& out = *reading.out;
    if (headerOnly)
        png_read_info(png, info);
    else
        png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_get_IHDR(png, info, &out.width, &out.height, &out.bitDepth, &out.colourType, &out.interlace, nullptr, nullptr);
    int intent = 0;
    out.srgb = png_get_sRGB(png, info, &intent) != 0;
    png_colorp palette = nullptr;
    int paletteSize = 0;
    if (png_get_PLTE(png, info, &palette, &paletteSize))
        out.palette.assign(palette, palette + paletteSize);
    png_bytep alpha = nullptr;
    int alphaCount = 0;
    png_color_16p colour = nullptr;
    if (png_get_tRNS(png, info, &alpha, &alphaCount, &colour)) {
        if (out.colourType == PNG_COLOR_TYPE_PALETTE)
            out.paletteAlpha.assign(alpha, alpha + alphaCount);
        else
            out.transparentColour = *colour;
    }
    if (headerOnly)
        return true;
    png_bytepp rows = png_get_rows(png, info);
    const png_size_t rowBytes = png_get_rowbytes(png, info);
    for (png_uint_32 y = 0; y < out.height; ++y)
        out.rows.emplace_back(rows[y], rows[y] + rowBytes);
    return true;
}

std::optional<ReadPng> readPng(const Bytes& bytes, bool headerOnly = false)
{
    ReadPng out;
    Reading reading { &bytes, 0, &out };
    png_structp png = png_create_read_struct(
        PNG_LIBPNG_VER_STRING, nullptr, [](png_structp p, png_const_charp) { png_longjmp(p, 1); }, [](png_structp, png_const_charp) {});
    png_infop info = png_create_info_struct(png);
    const bool read = readWithLibpng(png, info, reading, headerOnly);
    png_destroy_read_struct(&png, &info, nullptr);
    if (!read)
        return std::nullopt;
    return out;
}

struct Case {
    std::string name;
    PngLayout layout;
    std::vector<Bytes> rows;
};

std::vector<Case> everyLayout()
{
    std::vector<Case> cases;
    cases.push_back({ "RGB 8", pngLayout(3, 2, PNG_COLOR_TYPE_RGB, 8), { { 1, 2, 3, 4, 5, 6, 7, 8, 9 }, { 9, 8, 7, 6, 5, 4, 3, 2, 1 } } });
    cases.push_back({ "RGBA 16", pngLayout(1, 2, PNG_COLOR_TYPE_RGBA, 16), { { 0xC8, 0xC8, 0x64, 0x64, 0, 0, 0x80, 0x80 }, Bytes(8, 0xFF) } });
    cases.push_back({ "gray 1", pngLayout(10, 2, PNG_COLOR_TYPE_GRAY, 1), { { 0b1010'0000, 0b1100'0000 }, { 0b0101'1111, 0b0100'0000 } } });
    cases.push_back({ "gray 16", pngLayout(2, 1, PNG_COLOR_TYPE_GRAY, 16), { { 0x40, 0x00, 0x12, 0x34 } } });
    cases.push_back({ "gray and alpha 8", pngLayout(2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8), { { 10, 255, 20, 0 } } });
    Case palette { "palette 4 with tRNS", pngLayout(3, 2, PNG_COLOR_TYPE_PALETTE, 4), { { 0x01, 0x20 }, { 0x21, 0x00 } } };
    palette.layout.palette = { { 255, 0, 0 }, { 0, 255, 0 }, { 0, 0, 255 } };
    palette.layout.paletteAlpha = { 0, 90 };
    cases.push_back(palette);
    Case keyed { "gray 8 with a transparent colour", pngLayout(2, 1, PNG_COLOR_TYPE_GRAY, 8), { { 7, 9 } } };
    keyed.layout.transparentColour = png_color_16 { 0, 0, 0, 0, 7 };
    cases.push_back(keyed);
    std::vector<Bytes> interlacedRows;
    for (int y = 0; y < 11; ++y) {
        Bytes row;
        for (int x = 0; x < 9 * 3; ++x)
            row.push_back(static_cast<std::uint8_t>(y * 27 + x));
        interlacedRows.push_back(row);
    }
    cases.push_back({ "RGB 8 interlaced", pngLayout(9, 11, PNG_COLOR_TYPE_RGB, 8, true), interlacedRows });
    return cases;
}

// libpng leaves the bits after a row's last sample as its buffer had them, so only the samples
// are compared.
std::vector<Bytes> withoutPadding(std::vector<Bytes> rows, const PngLayout& layout)
{
    // Depths below 8 bits are only allowed for one-sample pixels (gray, palette).
    const int usedBits = layout.bitDepth < 8 ? layout.width * layout.bitDepth % 8 : 0;
    for (Bytes& row : rows) {
        if (usedBits != 0 && !row.empty())
            row.back() &= static_cast<std::uint8_t>(0xFF << (8 - usedBits));
    }
    return rows;
}

TEST(PngWriting, EveryLayoutReadsBackRowForRow)
{
    for (const Case& c : everyLayout()) {
        SCOPED_TRACE(c.name);
        const auto read = readPng(writePng(c.layout, c.rows));
        ASSERT_TRUE(read);
        EXPECT_EQ(read->width, static_cast<png_uint_32>(c.layout.width));
        EXPECT_EQ(read->height, static_cast<png_uint_32>(c.layout.height));
        EXPECT_EQ(read->bitDepth, c.layout.bitDepth);
        EXPECT_EQ(read->colourType, c.layout.colourType);
        EXPECT_EQ(read->interlace, c.layout.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE);
        EXPECT_FALSE(read->srgb);
        EXPECT_EQ(withoutPadding(read->rows, c.layout), withoutPadding(c.rows, c.layout));
        ASSERT_EQ(read->palette.size(), c.layout.palette.size());
        for (std::size_t i = 0; i < read->palette.size(); ++i) {
            const png_color got = read->palette[i], wanted = c.layout.palette[i];
            EXPECT_TRUE(got.red == wanted.red && got.green == wanted.green && got.blue == wanted.blue) << "palette entry " << i;
        }
        EXPECT_EQ(read->paletteAlpha, c.layout.paletteAlpha);
        ASSERT_EQ(read->transparentColour.has_value(), c.layout.transparentColour.has_value());
        if (read->transparentColour) {
            EXPECT_EQ(read->transparentColour->gray, c.layout.transparentColour->gray);
        }
    }
}

TEST(PngWriting, PixelsAreTheRowsOfAnEightBitPicture)
{
    const Painter pattern = [](int x, int y) { return Rgba { x * 40, y * 90, 7, 100 + x }; };
    const auto rgb = readPng(encodePng(paint(3, 2, pattern)));
    ASSERT_TRUE(rgb);
    EXPECT_EQ(rgb->colourType, PNG_COLOR_TYPE_RGB);
    EXPECT_EQ(rgb->rows, (std::vector<Bytes> { { 0, 0, 7, 40, 0, 7, 80, 0, 7 }, { 0, 90, 7, 40, 90, 7, 80, 90, 7 } }));
    const auto rgba = readPng(encodePng(paint(2, 1, pattern, PixelFormat::Rgba), { .interlaced = true }));
    ASSERT_TRUE(rgba);
    EXPECT_EQ(rgba->colourType, PNG_COLOR_TYPE_RGBA);
    EXPECT_EQ(rgba->interlace, PNG_INTERLACE_ADAM7);
    EXPECT_EQ(rgba->rows, (std::vector<Bytes> { { 0, 0, 7, 100, 40, 0, 7, 101 } }));
}

// The widget's pictures were once written by libpng's simplified writer; their bytes must not
// change with the writer.
TEST(PngWriting, WithSrgbTheBytesAreThoseOfLibpngsSimplifiedWriter)
{
    const Painter noise = [](int x, int y) { return Rgba { (x * 37 + y * 11) % 256, (x * y) % 256, (x ^ y) % 256, (x + 3 * y) % 256 }; };
    for (PixelFormat format : { PixelFormat::Rgb, PixelFormat::Rgba }) {
        const Pixels pixels = paint(70, 45, noise, format);
        png_image image {};
        image.version = PNG_IMAGE_VERSION;
        image.width = 70;
        image.height = 45;
        image.format = format == PixelFormat::Rgba ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
        png_alloc_size_t size = 0;
        ASSERT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, pixels.bytes.data(), 0, nullptr));
        Bytes simplified(size);
        ASSERT_TRUE(png_image_write_to_memory(&image, simplified.data(), &size, 0, pixels.bytes.data(), 0, nullptr));
        simplified.resize(size);
        EXPECT_EQ(encodePng(pixels, { .srgb = true }), simplified);
        EXPECT_NE(encodePng(pixels), simplified);
    }
}

TEST(PngWriting, RowsThatDoNotFitTheLayoutAreRefused)
{
    const PngLayout layout = pngLayout(10, 2, PNG_COLOR_TYPE_GRAY, 1);
    EXPECT_THROW(writePng(layout, { Bytes(2, 0) }), std::invalid_argument);
    EXPECT_THROW(writePng(layout, { Bytes(2, 0), Bytes(1, 0) }), std::invalid_argument);
    EXPECT_THROW(writePng(pngLayout(1, 1, 5, 8), { Bytes(1, 0) }), std::invalid_argument);
    EXPECT_THROW(encodePng(Pixels { 2, 2, PixelFormat::Cmyk, Bytes(16, 0) }), std::invalid_argument);
    // What libpng itself refuses comes back as an exception, not a crash: a palette picture
    // without its palette.
    EXPECT_THROW(writePng(pngLayout(1, 1, PNG_COLOR_TYPE_PALETTE, 8), { Bytes(1, 0) }), std::runtime_error);
}

TEST(PngWriting, DeclaredSizeComesWithAValidCrc)
{
    // The CRC every PNG's IEND chunk carries.
    EXPECT_EQ(pngCrc(reinterpret_cast<const std::uint8_t*>("IEND"), 4), 0xAE426082u);
    const Bytes png = withDeclaredPngSize(encodePng(paint(1, 1, solid({ 1, 2, 3 }))), 7000, 3000);
    const auto header = readPng(png, true);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->width, 7000u);
    EXPECT_EQ(header->height, 3000u);
    Bytes broken = png;
    broken[28] ^= 1; // IHDR's interlace method, 0 to 1: still valid, but the CRC no longer matches.
    EXPECT_FALSE(readPng(broken, true));
}

}
