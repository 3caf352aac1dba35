#pragma once

#include "render/Frame.h"

#include <cstdint>
#include <vector>

namespace orvessa {

inline constexpr int kDefaultJpegQuality = 90;

// The frame as a baseline JPEG at `quality` (1 to 100) through TurboJPEG: full-resolution colour
// at 90 and above, where the panel's thin glyphs would otherwise fringe, half-resolution (4:2:0)
// below. JPEG has no alpha: translucent pixels come out as if drawn over black.
// Throws std::invalid_argument for a quality outside 1 to 100, std::runtime_error for an empty
// frame or when TurboJPEG fails.
// NOTE: Safe on any thread, provided nothing draws into the frame meanwhile.
std::vector<std::uint8_t> encodeJpeg(const Frame&, int quality = kDefaultJpegQuality);

}
