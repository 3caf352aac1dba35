#pragma once

#include "render/Frame.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orvessa {

// The kinds of file the command writes, told by the output's extension.
enum class OutputFormat {
    Png,
    Jpeg,
    WebP,
};

// The format a name asks for by its extension, in any case: .png; .jpg or .jpeg; .webp. Nothing
// for any other extension, or none.
std::optional<OutputFormat> outputFormatOf(const std::filesystem::path&);

// The format of a single picture the user named with `option` (--out, --screenshot): PNG or JPEG.
// Throws UsageError naming the option and the extensions it takes.
OutputFormat pictureFormatFor(const std::string& option, const std::string& path);

// --quality as given, checked: 1 to 100, and only for a format that has a quality. Throws UsageError.
int qualityFor(OutputFormat, std::optional<int> given);

// A single picture in its format.
std::vector<std::uint8_t> encodePicture(const Frame&, OutputFormat, int quality);

}
