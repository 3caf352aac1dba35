// Decoding at the slideshow's drawn size (612 x 388 pixels: a 306 x 194 point frame at scale 2),
// beside TurboJPEG's own tjDecompress2 at the same scaling factor, and libpng reading the same PNG
// row by row at full size. The pictures are generated in /tmp at the first run and kept.
//
// Build: g++ -std=c++20 -O2 -I. bench/ImageDecodeBench.cpp platform/Image{Header,Decoder}.cpp
//        platform/{Jpeg,Png,Stb}Decoder.cpp tools/pictures/*.cpp
//        $(pkg-config --cflags --libs libturbojpeg libpng cairo)
//        -lbenchmark -lbenchmark_main -pthread

#include "platform/ImageDecoder.h"
#include "tools/pictures/Exif.h"
#include "tools/pictures/Jpeg.h"
#include "tools/pictures/JpegSegments.h"
#include "tools/pictures/Png.h"

#include <benchmark/benchmark.h>
#include <png.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int kTargetWidth = 612;
constexpr int kTargetHeight = 388;

using Bytes = std::vector<std::uint8_t>;

// Something like a photograph for the encoders: broad gradients, a few hard edges and some grain,
// so that the files have a camera-like size (a few bits per pixel).
std::vector<unsigned char> photoLikeRgb(int width, int height)
{
    std::vector<unsigned char> rgb(static_cast<std::size_t>(width) * height * 3);
    std::uint32_t seed = 12345;
    for (int y = 0; y < height; ++y) {
        unsigned char* p = rgb.data() + static_cast<std::size_t>(y) * width * 3;
        for (int x = 0; x < width; ++x, p += 3) {
            seed = seed * 1664525u + 1013904223u;
            const int grain = static_cast<int>(seed >> 28) - 8;
            const bool block = ((x / 97) ^ (y / 61)) & 1;
            auto clamp = [](int v) { return static_cast<unsigned char>(std::clamp(v, 0, 255)); };
            p[0] = clamp(x * 200 / width + (block ? 40 : 0) + grain);
            p[1] = clamp(y * 180 / height + 30 + grain);
            p[2] = clamp((x + y) * 120 / (width + height) + (block ? 0 : 60) + grain);
        }
    }
    return rgb;
}

void writeFile(const std::filesystem::path& path, const unsigned char* data, std::size_t size)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

Bytes readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::filesystem::path jpegFixture(const std::string& name, int width, int height)
{
    auto path = std::filesystem::temp_directory_path() / name;
    if (std::filesystem::exists(path))
        return path;
    const Bytes jpeg = pictures::encodeJpeg({ width, height, pictures::PixelFormat::Rgb, photoLikeRgb(width, height) }, { .quality = 90, .subsampling = TJSAMP_420 });
    writeFile(path, jpeg.data(), jpeg.size());
    return path;
}

// The same 12-megapixel photo with an EXIF segment saying it was taken upright (orientation 6),
// as phones store portrait shots: decoding then turns the result a quarter.
std::filesystem::path turnedJpegFixture()
{
    auto path = std::filesystem::temp_directory_path() / "orvessa-bench-12mp-turned.jpg";
    if (std::filesystem::exists(path))
        return path;
    const Bytes jpeg = pictures::withSegment(readFile(jpegFixture("orvessa-bench-12mp.jpg", 4000, 3000)), pictures::kApp1,
        pictures::orientationExif(6, pictures::ByteOrder::BigEndian));
    writeFile(path, jpeg.data(), jpeg.size());
    return path;
}

std::filesystem::path pngFixture()
{
    auto path = std::filesystem::temp_directory_path() / "orvessa-bench-12mp.png";
    if (std::filesystem::exists(path))
        return path;
    constexpr int width = 4000, height = 3000;
    const Bytes png = pictures::encodePng({ width, height, pictures::PixelFormat::Rgb, photoLikeRgb(width, height) });
    writeFile(path, png.data(), png.size());
    return path;
}

void decodeAtDrawnSize(benchmark::State& state, const std::filesystem::path& path)
{
    int width = 0, height = 0;
    for (auto _ : state) {
        auto image = decodeImage(path, kTargetWidth, kTargetHeight);
        if (!image) {
            state.SkipWithError("decode failed");
            return;
        }
        width = image->width;
        height = image->height;
        benchmark::DoNotOptimize(image->pixels.data());
    }
    state.SetLabel(std::to_string(width) + "x" + std::to_string(height));
}

// tjDecompress2 alone: the file already in memory, one handle and one output buffer for all runs.
// Given decodeImage's output size, TurboJPEG picks the same scaling factor.
void rawTurboJpeg(benchmark::State& state, const std::filesystem::path& path)
{
    const Bytes jpeg = readFile(path);
    auto reference = decodeImage(path, kTargetWidth, kTargetHeight);
    if (!reference) {
        state.SkipWithError("decode failed");
        return;
    }
    const int width = reference->width, height = reference->height;
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 4);
    tjhandle decompressor = tjInitDecompress();
    for (auto _ : state) {
        tjDecompress2(decompressor, jpeg.data(), jpeg.size(), pixels.data(), width, width * 4, height, TJPF_BGRA, TJFLAG_LIMITSCANS);
        benchmark::DoNotOptimize(pixels.data());
    }
    tjDestroy(decompressor);
    state.SetLabel(std::to_string(width) + "x" + std::to_string(height));
}

// libpng reading every row at full size into one row buffer: the floor for any row-by-row decoder.
void rawLibpngRows(benchmark::State& state, const std::filesystem::path& path)
{
    for (auto _ : state) {
        FILE* file = std::fopen(path.c_str(), "rb");
        png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        png_init_io(png, file);
        png_read_info(png, info);
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
        png_read_update_info(png, info);
        std::vector<unsigned char> row(png_get_rowbytes(png, info));
        for (png_uint_32 y = 0; y < png_get_image_height(png, info); ++y)
            png_read_row(png, row.data(), nullptr);
        benchmark::DoNotOptimize(row.data());
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(file);
    }
}

long peakRssKilobytes()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

// One slideshow's worth of steps through 48-megapixel photos; the peak resident size of the whole
// process over them (reset first through /proc/self/clear_refs) is reported in MB.
void stepThroughLargePhotos(benchmark::State& state)
{
    const auto path = jpegFixture("orvessa-bench-48mp.jpg", 8000, 6000);
    std::ofstream("/proc/self/clear_refs") << "5";
    for (auto _ : state) {
        for (int step = 0; step < 100; ++step) {
            auto image = decodeImage(path, kTargetWidth, kTargetHeight);
            benchmark::DoNotOptimize(image);
        }
    }
    state.counters["peakRssMB"] = static_cast<double>(peakRssKilobytes()) / 1024.0;
    state.counters["fileMB"] = static_cast<double>(std::filesystem::file_size(path)) / (1024.0 * 1024.0);
}

void jpeg12Decode(benchmark::State& state) { decodeAtDrawnSize(state, jpegFixture("orvessa-bench-12mp.jpg", 4000, 3000)); }
void jpeg12Raw(benchmark::State& state) { rawTurboJpeg(state, jpegFixture("orvessa-bench-12mp.jpg", 4000, 3000)); }
void jpeg12TurnedDecode(benchmark::State& state) { decodeAtDrawnSize(state, turnedJpegFixture()); }
void jpeg48Decode(benchmark::State& state) { decodeAtDrawnSize(state, jpegFixture("orvessa-bench-48mp.jpg", 8000, 6000)); }
void jpeg48Raw(benchmark::State& state) { rawTurboJpeg(state, jpegFixture("orvessa-bench-48mp.jpg", 8000, 6000)); }
void png12Decode(benchmark::State& state) { decodeAtDrawnSize(state, pngFixture()); }
void png12RawRows(benchmark::State& state) { rawLibpngRows(state, pngFixture()); }

}

BENCHMARK(jpeg12Decode)->Unit(benchmark::kMillisecond);
BENCHMARK(jpeg12Raw)->Unit(benchmark::kMillisecond);
BENCHMARK(jpeg12TurnedDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(jpeg48Decode)->Unit(benchmark::kMillisecond);
BENCHMARK(jpeg48Raw)->Unit(benchmark::kMillisecond);
BENCHMARK(png12Decode)->Unit(benchmark::kMillisecond);
BENCHMARK(png12RawRows)->Unit(benchmark::kMillisecond);
BENCHMARK(stepThroughLargePhotos)->Unit(benchmark::kMillisecond)->Iterations(1);
