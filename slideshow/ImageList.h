#pragma once

#include "platform/Device.h"
#include "platform/PathList.h"

#include <array>
#include <string>

// The photo folders under the home directory, in display order: synced photos, then the camera roll.
inline constexpr std::array<const char*, 2> kPhotoFolders { kSyncedPhotosFolder, kCameraRollFolder };
// Shown when neither folder holds a photo.
inline constexpr const char* kFallbackImagePath = "/System/Library/WeeAppPlugins/Orvessa.bundle/empty.png";

// The absolute paths of the photos in both folders, folder by folder in listing order, or the
// fallback image alone; shuffled once when asked. Never empty. Opens no image.
PathList loadImageList(const std::string& homeDirectory, bool shuffle);
