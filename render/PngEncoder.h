#pragma once

#include "render/Frame.h"

#include <cstdint>
#include <vector>

namespace orvessa {

// How each row is predicted from the pixels before it, the PNG filter types; Adaptive picks, row by
// row, the type whose output is smallest in absolute value, as libpng's own heuristic does.
enum class PngRowFilter {
    None,
    Sub,
    Up,
    Paeth,
    Adaptive,
};

// The defaults are the fastest of those measured on the panel's frames, and as small as zlib's
// default level with libpng's filter choice: the panel's grain and the photos leave the row filters
// nothing to predict. bench/frame_encode_bench compares the others (see the README).
struct PngSettings {
    int level { 1 }; // libdeflate's level: 0 stores, 1 is fastest, 12 smallest.
    PngRowFilter filter { PngRowFilter::None };
};

// The frame as the bytes of a PNG file: when every pixel is opaque, 8-bit indexed colour if the frame
// has at most 256 colours (the panel without a photo) and 8-bit RGB if it has more; else 8-bit RGBA
// with the colours un-premultiplied. No ancillary chunk, so equal pixels make equal bytes. Writing them
// anywhere is the host's business. Throws std::runtime_error for an empty frame, std::invalid_argument
// for a level outside 0 to 12.
// NOTE: Safe on any thread, provided nothing draws into the frame meanwhile.
std::vector<std::uint8_t> encodePng(const Frame&, const PngSettings& = {});

}
