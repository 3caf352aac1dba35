#pragma once

// Pixels for the encoders: packed rows, top row first, no padding between rows.

#include "tools/pictures/Bytes.h"

#include <functional>

namespace pictures {

// Channels from 0 to 255, held as int so callers can compute them and compare them with tolerances.
struct Rgba {
    int r { 0 };
    int g { 0 };
    int b { 0 };
    int a { 255 };
};

// The colour of the pixel at column x, row y.
using Painter = std::function<Rgba(int x, int y)>;

Painter solid(Rgba);

enum class PixelFormat {
    Rgb,
    Rgba,
    Cmyk, // Adobe's inverted CMYK, as TurboJPEG takes it: 255 means no ink. JPEG only.
};

int channelCount(PixelFormat);

struct Pixels {
    int width { 0 };
    int height { 0 };
    PixelFormat format { PixelFormat::Rgb };
    Bytes bytes; // width * height * channelCount(format) bytes.
};

// Calls the painter once for every pixel, row by row; channels are clamped to 0-255.
Pixels paint(int width, int height, const Painter&, PixelFormat = PixelFormat::Rgb);

// Throws std::invalid_argument unless the size is positive and the bytes fill it exactly.
void checkPixels(const Pixels&);

}
