#pragma once

#include "render/Frame.h"

#include <filesystem>
#include <utility>
#include <vector>

namespace orvessa {

// A recording at a glance: its frames in a grid `columns` across, in the order given, each shrunk to a
// thumbnail 200 pixels wide with its time in seconds written under it. Frames are read from picture
// files (PNG, or anything the image decoder reads), shrunk as they are decoded.
// Throws std::invalid_argument for no frames or fewer than one column, and std::runtime_error naming
// the file for a frame that cannot be read.
Frame makeContactSheet(const std::vector<std::pair<double, std::filesystem::path>>& frames, int columns);

}
