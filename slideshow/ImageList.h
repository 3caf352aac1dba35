#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

// The photo folders under the home directory, in display order: synced photos, then the camera roll.
inline constexpr std::array<const char*, 2> kPhotoFolders { "/Media/PhotoData/Sync/100SYNCD", "/Media/DCIM/100APPLE" };
// Shown when neither folder holds a photo.
inline constexpr const char* kFallbackImagePath = "/System/Library/WeeAppPlugins/Orvessa.bundle/empty.png";
// Only upper-case extensions are accepted, compared without case folding.
inline constexpr std::array<std::string_view, 5> kPhotoSuffixes { ".JPG", ".JPEG", ".PNG", ".GIF", ".BMP" };

// True when the name ends with one of the photo suffixes; the entry's type is not checked.
bool acceptsPhotoName(std::string_view name);

// The absolute paths of the photos in both folders, folder by folder in listing order, or the
// fallback image alone; shuffled once when asked. Never empty. Opens no image.
std::vector<std::string> loadImageList(const std::string& homeDirectory, bool shuffle);
