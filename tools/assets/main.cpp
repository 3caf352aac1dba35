// orvessa_make_assets OUT_DIR [--verbose]
//
// Draws the widget's pictures, the platform's row background and the built-in demo home into
// OUT_DIR. Everything is drawn by code from fixed numbers (the stars come from a seeded generator and
// the lettering from a stroke face inside the tool, not from installed fonts), and no encoder writes
// a timestamp, so every run writes the same bytes.

#include "tools/assets/AssetWriter.h"
#include "tools/assets/DemoHome.h"
#include "tools/assets/RowBackground.h"
#include "tools/assets/WidgetPictures.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string_view>
#include <vector>

int main(int argc, char** argv)
{
    bool verbose = false;
    std::vector<std::string_view> folders;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--verbose")
            verbose = true;
        else
            folders.push_back(argument);
    }
    if (folders.size() != 1) {
        std::fprintf(stderr, "usage: orvessa_make_assets [--verbose] OUT_DIR\n");
        return 2;
    }
    try {
        assets::AssetWriter writer { std::filesystem::path(folders.front()), verbose };
        assets::writeRowBackgrounds(writer);
        assets::writeWidgetPictures(writer);
        assets::writeDemoHome(writer);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "orvessa_make_assets: %s\n", error.what());
        return 1;
    }
    return 0;
}
