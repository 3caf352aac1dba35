#pragma once

// Writes the tool's files under its output folder, each all or nothing.

#include "tools/pictures/Bytes.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace assets {

using pictures::Bytes;

class AssetWriter {
public:
    AssetWriter(std::filesystem::path root, bool verbose);

    // Makes one file. Any failure, drawing or writing, is reported against the file's path.
    void make(const std::filesystem::path& relative, const std::function<Bytes()>& produce);
    void makeText(const std::filesystem::path& relative, std::string_view text);

private:
    std::filesystem::path m_root;
    bool m_verbose { false };
};

// "name.png" at scale 1, "name@2x.png" and "name@3x.png" above it.
std::string scaledName(std::string_view stem, int scale);

}
