#pragma once

// BMP files of every kind, made byte by byte: the headers of Windows and OS/2, palettes, packed
// rows and bit-field masks; and the usual 24-bit file from pixels. Run-length streams are in
// BmpRunLengths.h.

#include "tools/pictures/Pixels.h"

#include <optional>

namespace pictures {

struct BmpColour {
    std::uint8_t r { 0 };
    std::uint8_t g { 0 };
    std::uint8_t b { 0 };
};

// What goes into a file; every field is written as given, so a caller can also make damaged ones.
struct BmpFile {
    std::uint32_t infoSize { 40 }; // 12 (OS/2 1.x), 16 to 64 (OS/2 2.x), 40, 52, 56, 108, 124.
    std::int32_t width { 0 };
    std::int32_t height { 0 }; // Negative for top-down rows.
    std::uint16_t planes { 1 };
    std::uint16_t bits { 24 };
    std::uint32_t compression { 0 };
    std::uint32_t colorsUsed { 0 };
    std::vector<BmpColour> palette; // Written as is: 3 bytes an entry for OS/2 1.x, else 4.
    std::vector<std::uint32_t> masks; // Inside headers of 52 bytes or more, else right after the header.
    std::uint32_t gapBeforePixels { 0 };
    std::optional<std::uint32_t> pixelOffset; // Otherwise where the pixels really start.
    Bytes pixels;
};

Bytes writeBmp(const BmpFile&);

// A palette index, or a pixel's 2 to 4 bytes as a little-endian word, at column x, row y; row 0
// is the top row.
using IndexPainter = std::function<int(int x, int y)>;
using WordPainter = std::function<std::uint32_t(int x, int y)>;

// Rows of palette indices packed `bits` to a pixel, leftmost in the high bits, padded to four
// bytes, in stored order (bottom row first unless topDown).
Bytes packBmpIndexRows(int width, int height, int bits, const IndexPainter&, bool topDown = false);

// Rows of 2-, 3- or 4-byte little-endian pixels, padded to four bytes, in stored order.
Bytes packBmpWordRows(int width, int height, int bytesPerPixel, const WordPainter&, bool topDown = false);

// Distinct colours for palette entries.
std::vector<BmpColour> bmpTestPalette(int entries);

struct BmpOptions {
    bool topDown { false }; // A negative height, rows stored top first; BMP's usual order is bottom-up.
};

// A BITMAPINFOHEADER file of 24 bits a pixel, BI_RGB, from RGB or RGBA pixels; alpha is dropped.
Bytes encodeBmp(const Pixels&, const BmpOptions& = {});

// A copy whose header declares this size (the width and height fields written as given, so a
// height of 0x80000000 is INT_MIN); the pixel data is left as it was.
Bytes withDeclaredBmpSize(const Bytes& bmp, std::uint32_t width, std::uint32_t height);

}
