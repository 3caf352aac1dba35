// Decoding at the slideshow's drawn size (612 x 388 pixels: a 306 x 194 point frame at scale 2),
// beside TurboJPEG's own tjDecompress2 at the same scaling factor, and libpng reading the same PNG
// row by row at full size. The pictures are generated in /tmp at the first run and kept.
//
// The peakDecode benchmarks decode one file once and report the process's peak resident size
// (VmHWM, reset first). Run each alone, after a first run that made the files:
//   image_decode_bench --benchmark_filter=peakDecode/progressive12_444
// or measure the whole process: /usr/bin/time -v image_decode_bench --benchmark_filter=...
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

// Progressive 12-megapixel photos as cameras that write them save them, at both samplings.
std::filesystem::path progressiveFixture(const std::string& name, int width, int height, int subsampling)
{
    auto path = std::filesystem::temp_directory_path() / name;
    if (std::filesystem::exists(path))
        return path;
    auto rgb = photoLikeRgb(width, height);
    tjhandle compressor = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    if (tjCompress2(compressor, rgb.data(), width, 0, height, TJPF_RGB, &jpeg, &size, subsampling, 90, TJFLAG_PROGRESSIVE) == 0)
        writeFile(path, jpeg, size);
    tjFree(jpeg);
    tjDestroy(compressor);
    return path;
}

// A small progressive file whose frame header claims another size: the scans stay 64 x 48.
std::filesystem::path progressiveClaim(const std::string& name, int width, int height, int subsampling, TJPF pixelFormat)
{
    auto path = std::filesystem::temp_directory_path() / name;
    std::vector<unsigned char> pixels(64 * 48 * static_cast<std::size_t>(tjPixelSize[pixelFormat]), 120);
    tjhandle compressor = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    tjCompress2(compressor, pixels.data(), 64, 0, 48, pixelFormat, &jpeg, &size, subsampling, 90, TJFLAG_PROGRESSIVE);
    Bytes bytes(jpeg, jpeg + size);
    tjFree(jpeg);
    tjDestroy(compressor);
    std::size_t frame = 2;
    while (frame + 9 < bytes.size() && !(bytes[frame] == 0xFF && bytes[frame + 1] == 0xC2))
        frame += 2 + static_cast<std::size_t>(bytes[frame + 2] << 8 | bytes[frame + 3]);
    const std::uint8_t size4[4] = { static_cast<std::uint8_t>(height >> 8), static_cast<std::uint8_t>(height),
        static_cast<std::uint8_t>(width >> 8), static_cast<std::uint8_t>(width) };
    std::copy(std::begin(size4), std::end(size4), bytes.begin() + static_cast<std::ptrdiff_t>(frame) + 5);
    writeFile(path, bytes.data(), bytes.size());
    return path;
}

// A 4096 x 4096 interlaced PNG of one colour: small on disk, held whole while decoding.
std::filesystem::path interlacedPngFixture()
{
    auto path = std::filesystem::temp_directory_path() / "orvessa-bench-interlaced.png";
    if (std::filesystem::exists(path))
        return path;
    constexpr int side = 4096;
    std::vector<unsigned char> row(side * 4, 200);
    FILE* file = std::fopen(path.c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, side, side, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_ADAM7, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < side; ++y)
            png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return path;
}

void putLittleEndian(Bytes& out, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// A GIF of the largest size allowed, every pixel in its data. The LZW codes stay 3 bits wide by
// clearing the table after every two pixels.
std::filesystem::path gifFixture()
{
    auto path = std::filesystem::temp_directory_path() / "orvessa-bench-16mp.gif";
    if (std::filesystem::exists(path))
        return path;
    constexpr int side = 4096;
    Bytes gif { 'G', 'I', 'F', '8', '9', 'a' };
    putLittleEndian(gif, side, 2);
    putLittleEndian(gif, side, 2);
    gif.insert(gif.end(), { 0x81, 0, 0, 200, 30, 40, 30, 200, 60, 20, 40, 210, 128, 128, 128 }); // Four colours.
    gif.push_back(0x2C);
    putLittleEndian(gif, 0, 4);
    putLittleEndian(gif, side, 2);
    putLittleEndian(gif, side, 2);
    gif.insert(gif.end(), { 0, 2 }); // No local colours; LZW code size 2: clear 4, end 5.
    Bytes codes;
    std::uint32_t bits = 0;
    int count = 0;
    auto put = [&](std::uint32_t code) {
        bits |= code << count;
        count += 3;
        while (count >= 8) {
            codes.push_back(static_cast<std::uint8_t>(bits));
            bits >>= 8;
            count -= 8;
        }
    };
    for (int i = 0; i < side * side; ++i) {
        if (i % 2 == 0)
            put(4);
        put(static_cast<std::uint32_t>((i / 7 + i / side) % 4));
    }
    put(5);
    if (count > 0)
        codes.push_back(static_cast<std::uint8_t>(bits));
    for (std::size_t at = 0; at < codes.size(); at += 255) {
        const std::size_t length = std::min<std::size_t>(255, codes.size() - at);
        gif.push_back(static_cast<std::uint8_t>(length));
        gif.insert(gif.end(), codes.begin() + static_cast<std::ptrdiff_t>(at), codes.begin() + static_cast<std::ptrdiff_t>(at + length));
    }
    gif.insert(gif.end(), { 0, 0x3B });
    writeFile(path, gif.data(), gif.size());
    return path;
}

// A run-length BMP claiming 4096 x 4096 with a few codes: its indices are held whole.
std::filesystem::path bmpClaim()
{
    auto path = std::filesystem::temp_directory_path() / "orvessa-bench-bmp-claim.bmp";
    Bytes bmp { 'B', 'M' };
    putLittleEndian(bmp, 14 + 40 + 8 + 6, 4);
    putLittleEndian(bmp, 0, 4);
    putLittleEndian(bmp, 14 + 40 + 8, 4);
    for (std::uint32_t field : { 40u, 4096u, 4096u })
        putLittleEndian(bmp, field, 4);
    putLittleEndian(bmp, 1, 2);
    putLittleEndian(bmp, 8, 2);
    for (std::uint32_t field : { 1u, 6u, 0u, 0u, 2u, 0u })
        putLittleEndian(bmp, field, 4);
    putLittleEndian(bmp, 0x000000FF, 4);
    putLittleEndian(bmp, 0x0000FF00, 4);
    bmp.insert(bmp.end(), { 255, 1, 0, 0, 0, 1 });
    writeFile(path, bmp.data(), bmp.size());
    return path;
}

// One decode at the drawn size and the process's peak resident size over it, reset just before.
void peakDecode(benchmark::State& state, const std::filesystem::path& path)
{
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = peakRssKilobytes();
    bool decoded = false;
    for (auto _ : state) {
        auto image = decodeImage(path, kTargetWidth, kTargetHeight);
        decoded = image.has_value();
        benchmark::DoNotOptimize(image);
    }
    state.counters["peakRssMB"] = static_cast<double>(peakRssKilobytes()) / 1024.0;
    state.counters["beforeMB"] = static_cast<double>(before) / 1024.0;
    state.counters["decoded"] = decoded ? 1 : 0;
    state.counters["fileKB"] = static_cast<double>(std::filesystem::file_size(path)) / 1024.0;
}

// The same through TurboJPEG as this program decoded before: the whole file read into memory,
// then tjDecompress2 at the smallest scaling factor not below the drawn size.
void peakTurboJpeg(benchmark::State& state, const std::filesystem::path& path)
{
    std::ofstream("/proc/self/clear_refs") << "5";
    for (auto _ : state) {
        const Bytes jpeg = readFile(path);
        tjhandle decompressor = tjInitDecompress();
        int width = 0, height = 0, subsampling = 0, colorspace = 0;
        tjDecompressHeader3(decompressor, jpeg.data(), jpeg.size(), &width, &height, &subsampling, &colorspace);
        int count = 0;
        const tjscalingfactor* factors = tjGetScalingFactors(&count);
        tjscalingfactor best { 1, 1 };
        for (int i = 0; i < count; ++i) {
            const tjscalingfactor f = factors[i];
            if (f.num <= f.denom && TJSCALED(width, f) >= kTargetWidth && TJSCALED(height, f) >= kTargetHeight
                && f.num * best.denom < best.num * f.denom)
                best = f;
        }
        const int outWidth = TJSCALED(width, best), outHeight = TJSCALED(height, best);
        std::vector<unsigned char> pixels(static_cast<std::size_t>(outWidth) * static_cast<std::size_t>(outHeight) * 4);
        tjDecompress2(decompressor, jpeg.data(), jpeg.size(), pixels.data(), outWidth, outWidth * 4, outHeight, TJPF_BGRA, TJFLAG_LIMITSCANS);
        benchmark::DoNotOptimize(pixels.data());
        tjDestroy(decompressor);
    }
    state.counters["peakRssMB"] = static_cast<double>(peakRssKilobytes()) / 1024.0;
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
BENCHMARK_CAPTURE(peakDecode, progressive12_420, progressiveFixture("orvessa-bench-12mp-progressive-420.jpg", 4032, 3024, TJSAMP_420))
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(peakDecode, progressive12_444, progressiveFixture("orvessa-bench-12mp-progressive-444.jpg", 4032, 3024, TJSAMP_444))
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(peakTurboJpeg, progressive12_420, progressiveFixture("orvessa-bench-12mp-progressive-420.jpg", 4032, 3024, TJSAMP_420))
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(peakTurboJpeg, progressive12_444, progressiveFixture("orvessa-bench-12mp-progressive-444.jpg", 4032, 3024, TJSAMP_444))
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(peakTurboJpeg, claim10000_444, progressiveClaim("orvessa-bench-claim-444.jpg", 10000, 10000, TJSAMP_444, TJPF_RGB))
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(peakDecode, claim10000_444, progressiveClaim("orvessa-bench-claim-444.jpg", 10000, 10000, TJSAMP_444, TJPF_RGB))
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(peakDecode, claim10000_cmyk, progressiveClaim("orvessa-bench-claim-cmyk.jpg", 10000, 10000, TJSAMP_444, TJPF_CMYK))
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
// The largest 4:4:4 claim the budget admits (394 block rows of 4096 pixels): decoded, gray.
BENCHMARK_CAPTURE(peakDecode, claimAtBudget_444, progressiveClaim("orvessa-bench-claim-budget.jpg", 4096, 3152, TJSAMP_444, TJPF_RGB))
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(peakDecode, interlacedPng4096, interlacedPngFixture())->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(peakDecode, gif16mp, gifFixture())->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(peakDecode, rleBmpClaim4096, bmpClaim())->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(stepThroughLargePhotos)->Unit(benchmark::kMillisecond)->Iterations(1);
