// Writes the photo the whole-process comparisons use: a 12-megapixel (4032 x 3024) camera-like
// JPEG, quality 90 with 4:2:0 chroma, of smooth gradients with fine detail and a sensor's grain, so
// that it is about as large as a phone's photo and the codecs do real work. Usage: make_bench_photo FILE
#include "tools/pictures/Jpeg.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_bench_photo FILE\n");
        return 2;
    }
    constexpr int kWidth = 4032;
    constexpr int kHeight = 3024;
    pictures::Pixels pixels = pictures::paint(kWidth, kHeight, [](int x, int y) {
        // A hash of the position, for grain that is the same on every run.
        std::uint32_t hash = std::uint32_t(x) * 0x9E3779B1u ^ std::uint32_t(y) * 0x85EBCA77u;
        hash ^= hash >> 15;
        hash *= 0x2C1B3C6Du;
        hash ^= hash >> 12;
        int grain = int(hash % 13) - 6;
        return pictures::Rgba {
            ((x * 255 / kWidth + 40) & 0xFF) + grain,
            ((y * 255 / kHeight) ^ ((x / 7 + y / 5) & 15)) + grain,
            int(128 + 100 * std::sin((x + y * 3 + 100) / 90.0)) + grain,
        };
    });
    const auto jpeg = pictures::encodeJpeg(pixels, { .quality = 90, .subsampling = TJSAMP_420 });
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(jpeg.data()), std::streamsize(jpeg.size()));
    if (!out.flush()) {
        std::fprintf(stderr, "make_bench_photo: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
