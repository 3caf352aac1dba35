#pragma once

// PNG files written by libpng: every colour type and bit depth PNG allows, interlaced or not,
// with a palette, tRNS or an sRGB chunk as asked. No other ancillary chunk and no timestamp is
// written, so the same pixels always make the same bytes. Failures throw.

#include "tools/pictures/Pixels.h"

#include <png.h>

#include <optional>

namespace pictures {

struct PngLayout {
    int width { 1 };
    int height { 1 };
    int colourType { PNG_COLOR_TYPE_RGB };
    int bitDepth { 8 };
    bool interlaced { false };
    std::vector<png_color> palette;
    std::vector<png_byte> paletteAlpha; // tRNS for palette pictures.
    std::optional<png_color_16> transparentColour; // tRNS for gray and RGB pictures.
    bool srgb { false }; // An sRGB chunk (perceptual), as libpng's simplified writer adds.
};

PngLayout pngLayout(int width, int height, int colourType, int bitDepth, bool interlaced = false);

// Rows are given packed as the PNG stores them (samples below 8 bits packed from the high bit,
// 16-bit samples big-endian), one per row of the picture.
Bytes writePng(const PngLayout&, const std::vector<Bytes>& rows);

struct PngOptions {
    bool interlaced { false };
    bool srgb { false };
};

// 8-bit RGB or RGBA. With srgb set, the bytes are those libpng's simplified writer
// (png_image_write_to_memory) makes of the same pixels.
Bytes encodePng(const Pixels&, const PngOptions& = {});

// The CRC PNG puts after each chunk, over the chunk's type and data.
std::uint32_t pngCrc(const std::uint8_t* data, std::size_t length);

// A copy whose IHDR declares this size, its CRC made right, so only the size can make a reader
// refuse it.
Bytes withDeclaredPngSize(const Bytes& png, std::uint32_t width, std::uint32_t height);

}
