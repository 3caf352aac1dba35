#pragma once

#include "tools/assets/AssetWriter.h"

#include <filesystem>

namespace assets {

// The demo album, each photo with its number in the corner: six camera photos (one stored on
// its side, one 3:2, one a PNG) and a stray lower-case .jpg in the camera roll, two synced photos.
void writeDemoPhotos(AssetWriter&, const std::filesystem::path& cameraRoll, const std::filesystem::path& synced);

}
