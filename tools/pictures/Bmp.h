#pragma once

// BMP files: a BITMAPINFOHEADER, 24 bits per pixel, BI_RGB, rows padded to four bytes. Other
// depths, palettes and compressions are not written.

#include "tools/pictures/Pixels.h"

namespace pictures {

struct BmpOptions {
    bool topDown { false }; // A negative height, rows stored top first; BMP's usual order is bottom-up.
};

// From RGB or RGBA pixels; alpha is dropped.
Bytes encodeBmp(const Pixels&, const BmpOptions& = {});

// A copy whose header declares this size (the width and height fields written as given, so a
// height of 0x80000000 is INT_MIN); the pixel data is left as it was.
Bytes withDeclaredBmpSize(const Bytes& bmp, std::uint32_t width, std::uint32_t height);

}
