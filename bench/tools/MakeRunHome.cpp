// Makes the homes the run benchmark plays: photos the size phones make today, generated here, and
// a Photos preferences file that steps every 2 seconds in order.
//
//   make_run_home FOLDER mixed   48-megapixel baseline JPEGs, a 12-megapixel progressive JPEG and a
//                                12-megapixel PNG, one of each kind in turn
//   make_run_home FOLDER big     100 names in the camera roll, 48-megapixel baseline JPEGs
//
// Photos already there are kept, so a second run costs nothing.
#include "tools/pictures/Jpeg.h"
#include "tools/pictures/Png.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

// Smooth gradients with some detail, so the codecs do real work.
pictures::Pixels photoPixels(int width, int height, int seed)
{
    std::vector<unsigned char> rgb(std::size_t(width) * std::size_t(height) * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            unsigned char* p = &rgb[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3];
            p[0] = static_cast<unsigned char>((x * 255 / width + seed * 40) & 0xFF);
            p[1] = static_cast<unsigned char>((y * 255 / height) ^ ((x / 7 + y / 5) & 15));
            p[2] = static_cast<unsigned char>(128 + 100 * std::sin((x + y * 3 + seed * 100) / 90.0));
        }
    }
    return { width, height, pictures::PixelFormat::Rgb, std::move(rgb) };
}

void write(const std::filesystem::path& path, const pictures::Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + path.string());
}

enum class Kind {
    BaselineJpeg,
    ProgressiveJpeg,
    Png,
};

// The photo at `path`, made unless it is there already.
void makePhoto(const std::filesystem::path& path, Kind kind, int seed)
{
    if (std::filesystem::exists(path))
        return;
    if (kind == Kind::BaselineJpeg) {
        write(path, pictures::encodeJpeg(photoPixels(8000, 6000, seed), { .quality = 90, .subsampling = TJSAMP_420 }));
    } else if (kind == Kind::ProgressiveJpeg) {
        write(path, pictures::encodeJpeg(photoPixels(4000, 3000, seed), { .quality = 90, .subsampling = TJSAMP_420, .progressive = true }));
    } else {
        write(path, pictures::encodePng(photoPixels(4000, 3000, seed)));
    }
}

void writeSettings(const std::filesystem::path& home)
{
    auto folder = home / "Library/Preferences";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "com.apple.mobileslideshow.plist") << R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0">
<dict>
	<key>Shuffle</key>
	<false/>
	<key>SecondsPerSlide</key>
	<integer>2</integer>
	<key>preserveaspect</key>
	<true/>
</dict>
</plist>
)";
}

}

int main(int argc, char** argv)
{
    if (argc != 3 || (std::string(argv[2]) != "mixed" && std::string(argv[2]) != "big")) {
        std::cerr << "usage: make_run_home FOLDER mixed|big\n";
        return 2;
    }
    try {
        std::filesystem::path home = argv[1];
        auto roll = home / "Media/DCIM/100APPLE";
        std::filesystem::create_directories(roll);
        writeSettings(home);
        if (std::string(argv[2]) == "mixed") {
            makePhoto(roll / "IMG_0001.JPG", Kind::BaselineJpeg, 1);
            makePhoto(roll / "IMG_0002.JPG", Kind::ProgressiveJpeg, 2);
            makePhoto(roll / "IMG_0003.PNG", Kind::Png, 3);
            makePhoto(roll / "IMG_0004.JPG", Kind::BaselineJpeg, 4);
            makePhoto(roll / "IMG_0005.JPG", Kind::ProgressiveJpeg, 5);
            makePhoto(roll / "IMG_0006.PNG", Kind::Png, 6);
        } else {
            // Twelve different photos under 100 names (hard links), so that no two neighbours are
            // one file and the cache holds no step's photo from the step before.
            constexpr int kDistinct = 12;
            for (int i = 0; i < kDistinct; ++i)
                makePhoto(roll / ("IMG_" + std::to_string(1000 + i) + ".JPG"), Kind::BaselineJpeg, i);
            for (int i = kDistinct; i < 100; ++i) {
                auto name = roll / ("IMG_" + std::to_string(1000 + i) + ".JPG");
                if (!std::filesystem::exists(name))
                    std::filesystem::create_hard_link(roll / ("IMG_" + std::to_string(1000 + i % kDistinct) + ".JPG"), name);
            }
        }
    } catch (const std::exception& error) {
        std::cerr << "make_run_home: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
