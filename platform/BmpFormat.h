#pragma once

// How a BMP file lays out its pixels, read from its headers; shared by the header check and the
// decoder so that a header is given exactly for what decodes. Not part of the platform's interface.

#include <array>
#include <cstdint>
#include <span>
#include <string>

enum class BmpEncoding {
    Palette, // 1, 2, 4 or 8 bits of palette index a pixel.
    Rle8,
    Rle4,
    Masks, // 16 or 32 bits a pixel, channels cut out by bit masks (BI_RGB uses fixed ones).
    Bgr24,
};

struct BmpLayout {
    int width { 0 };
    int height { 0 };
    bool topDown { false };
    int bitsPerPixel { 0 };
    BmpEncoding encoding { BmpEncoding::Bgr24 };
    std::array<std::uint32_t, 4> masks {}; // Red, green, blue, alpha; a zero alpha mask means opaque.
    std::uint64_t paletteOffset { 0 };
    int paletteEntries { 0 }; // At most 256; indices past them read as black.
    int paletteEntryBytes { 4 }; // 3 in the old OS/2 1.x files.
    std::uint64_t pixelOffset { 0 };

    // Bytes of one stored row, padded to four.
    std::uint64_t rowBytes() const { return (static_cast<std::uint64_t>(width) * bitsPerPixel + 31) / 32 * 4; }
};

struct BmpLayoutReading {
    bool ok { false };
    BmpLayout layout;
    std::string problem; // Why not, when not ok.
};

// Bytes the headers (file header, info header, masks) may take; the palette lies beyond.
inline constexpr std::size_t kBmpHeaderBytes = 14 + 124 + 16;

// Reads the file and info headers from the first bytes of a file that starts "BM": Windows
// headers of 40, 52, 56, 108 and 124 bytes, the OS/2 1.x 12-byte one and OS/2 2.x ones of 16 to
// 64 bytes. Sizes beyond kMaxWholeImagePixels are refused; so are embedded JPEG or PNG data, OS/2
// Huffman and 24-bit run-length encodings, and 64 bits a pixel, which nothing here decodes.
BmpLayoutReading readBmpLayout(std::span<const std::uint8_t> firstBytes);
