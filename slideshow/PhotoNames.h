#pragma once

#include <array>
#include <string_view>

// Only upper-case extensions are accepted, compared without case folding.
inline constexpr std::array<std::string_view, 5> kPhotoSuffixes { ".JPG", ".JPEG", ".PNG", ".GIF", ".BMP" };

// What the slideshow makes of an entry's name in a photo folder. The filter sees the name alone, so
// an entry whose name it accepts is listed whatever it holds; the other verdicts say why a name is not.
enum class PhotoNameVerdict {
    Accepted,
    WrongCase, // A photo suffix in another case, as in .jpg or .Png.
    Folder, // A folder whose name has no photo suffix in any case.
    NoExtension,
    NotAPictureType,
};

// Whether the entry is a folder matters only to explain a refusal.
PhotoNameVerdict photoNameVerdict(std::string_view name, bool isFolder = false);

// The extension the verdict judged: the photo suffix in the name's own case where there is one,
// else what follows the last dot; empty for a name without a dot or whose only dot leads it.
std::string_view photoNameExtension(std::string_view name);
