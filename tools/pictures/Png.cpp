#include "tools/pictures/Png.h"

#include <csetjmp>
#include <cstring>
#include <stdexcept>
#include <string>

namespace pictures {

namespace {

int samplesPerPixel(int colourType)
{
    switch (colourType) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE:
        return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        return 4;
    default:
        throw std::invalid_argument("unknown PNG colour type " + std::to_string(colourType));
    }
}

std::size_t rowBytes(const PngLayout& layout)
{
    const std::size_t bits = static_cast<std::size_t>(layout.width) * static_cast<std::size_t>(samplesPerPixel(layout.colourType))
        * static_cast<std::size_t>(layout.bitDepth);
    return (bits + 7) / 8;
}

// libpng reports errors by longjmp, so everything between setjmp and the last libpng call lives
// in this plain struct: no destructor is ever skipped.
struct PngWriter {
    png_structp png { nullptr };
    png_infop info { nullptr };
    Bytes* out { nullptr };
    char message[160] {};
};

void onError(png_structp png, png_const_charp message)
{
    auto* writer = static_cast<PngWriter*>(png_get_error_ptr(png));
    std::strncpy(writer->message, message, sizeof writer->message - 1);
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) { }

void onWrite(png_structp png, png_bytep data, png_size_t length)
{
    auto* writer = static_cast<PngWriter*>(png_get_io_ptr(png));
    writer->out->insert(writer->out->end(), data, data + length);
}

void onFlush(png_structp) { }

bool writeWithLibpng(PngWriter& writer, const PngLayout& layout, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(writer.png)))
        return false;
    png_set_write_fn(writer.png, &writer, onWrite, onFlush);
    png_set_IHDR(writer.png, writer.info, static_cast<png_uint_32>(layout.width), static_cast<png_uint_32>(layout.height), layout.bitDepth,
        layout.colourType, layout.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!layout.palette.empty())
        png_set_PLTE(writer.png, writer.info, layout.palette.data(), static_cast<int>(layout.palette.size()));
    if (!layout.paletteAlpha.empty())
        png_set_tRNS(writer.png, writer.info, layout.paletteAlpha.data(), static_cast<int>(layout.paletteAlpha.size()), nullptr);
    if (layout.transparentColour) {
        png_color_16 colour = *layout.transparentColour;
        png_set_tRNS(writer.png, writer.info, nullptr, 0, &colour);
    }
    if (layout.srgb)
        png_set_sRGB(writer.png, writer.info, PNG_sRGB_INTENT_PERCEPTUAL);
    png_write_info(writer.png, writer.info);
    png_write_image(writer.png, rows);
    png_write_end(writer.png, nullptr);
    return true;
}

Bytes writeRows(const PngLayout& layout, const std::vector<const std::uint8_t*>& rows)
{
    Bytes out;
    PngWriter writer;
    writer.out = &out;
    writer.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &writer, onError, onWarning);
    if (writer.png)
        writer.info = png_create_info_struct(writer.png);
    if (!writer.info) {
        png_destroy_write_struct(&writer.png, nullptr);
        throw std::runtime_error("libpng: out of memory");
    }
    // libpng's row pointers are not const, but writing only reads through them.
    const bool written = writeWithLibpng(writer, layout, const_cast<png_bytepp>(rows.data()));
    png_destroy_write_struct(&writer.png, &writer.info);
    if (!written)
        throw std::runtime_error(std::string("PNG encoding failed: ") + writer.message);
    return out;
}

}

PngLayout pngLayout(int width, int height, int colourType, int bitDepth, bool interlaced)
{
    PngLayout layout;
    layout.width = width;
    layout.height = height;
    layout.colourType = colourType;
    layout.bitDepth = bitDepth;
    layout.interlaced = interlaced;
    return layout;
}

Bytes writePng(const PngLayout& layout, const std::vector<Bytes>& rows)
{
    if (layout.width <= 0 || layout.height <= 0)
        throw std::invalid_argument("a PNG is at least one pixel wide and high");
    if (rows.size() != static_cast<std::size_t>(layout.height))
        throw std::invalid_argument("a PNG needs one row for each of its " + std::to_string(layout.height) + " rows");
    const std::size_t bytesPerRow = rowBytes(layout);
    std::vector<const std::uint8_t*> pointers;
    pointers.reserve(rows.size());
    for (const Bytes& row : rows) {
        if (row.size() != bytesPerRow)
            throw std::invalid_argument("a PNG row of this layout is " + std::to_string(bytesPerRow) + " bytes");
        pointers.push_back(row.data());
    }
    return writeRows(layout, pointers);
}

Bytes encodePng(const Pixels& pixels, const PngOptions& options)
{
    checkPixels(pixels);
    if (pixels.format == PixelFormat::Cmyk)
        throw std::invalid_argument("PNG has no CMYK");
    PngLayout layout = pngLayout(pixels.width, pixels.height, pixels.format == PixelFormat::Rgba ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, 8,
        options.interlaced);
    layout.srgb = options.srgb;
    // The rows are pointed at where they lie, so a large picture is not copied.
    const std::size_t bytesPerRow = rowBytes(layout);
    std::vector<const std::uint8_t*> pointers;
    pointers.reserve(static_cast<std::size_t>(pixels.height));
    for (std::size_t y = 0; y < static_cast<std::size_t>(pixels.height); ++y)
        pointers.push_back(pixels.bytes.data() + y * bytesPerRow);
    return writeRows(layout, pointers);
}

std::uint32_t pngCrc(const std::uint8_t* data, std::size_t length)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ ((crc & 1) ? 0xEDB88320u : 0u);
    }
    return ~crc;
}

Bytes withDeclaredPngSize(const Bytes& png, std::uint32_t width, std::uint32_t height)
{
    // Signature (8), IHDR's length and type (8), then width, height and five one-byte fields; the
    // CRC covers type and data, 17 bytes from offset 12.
    constexpr std::size_t ihdrType = 12;
    constexpr std::size_t crcAt = 29;
    if (png.size() < crcAt + 4 || std::memcmp(&png[ihdrType], "IHDR", 4) != 0)
        throw std::invalid_argument("not a PNG starting with IHDR");
    Bytes out(png.begin(), png.begin() + 16);
    putBigEndian(out, width, 4);
    putBigEndian(out, height, 4);
    out.insert(out.end(), png.begin() + 24, png.begin() + crcAt);
    putBigEndian(out, pngCrc(&out[ihdrType], crcAt - ihdrType), 4);
    out.insert(out.end(), png.begin() + crcAt + 4, png.end());
    return out;
}

}
