#pragma once

// GIF89a files with a global table of four colours and one or more full frames. The pixel data is
// literal LZW codes with a clear code after every two, so the code width stays at 3 bits: large
// files, but every byte of them is easy to predict. Sides are limited to GIF's 65,535.

#include "tools/pictures/Pixels.h"

#include <array>

namespace pictures {

struct GifFrame {
    int width { 0 };
    int height { 0 };
    std::vector<std::uint8_t> indices; // Into the four-colour table, width * height of them.
    int transparentIndex { -1 }; // -1 for none.
};

// Each frame sits at the top-left corner of the picture and is shown for 0.1 s.
Bytes encodeGif(int width, int height, const std::array<Rgba, 4>& colours, const std::vector<GifFrame>&);

}
