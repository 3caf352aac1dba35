#pragma once

// JPEGs of every scan layout, made with libjpeg: baseline with one interleaved scan, baseline with
// a scan per component, and progressive; any sampling; gray, YCbCr and CMYK. And the frame header
// rewritten to claim another size or sampling. Used by the JPEG tests and the fuzzers' seeds.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <vector>

namespace jpeg_files {

using Bytes = std::vector<std::uint8_t>;

enum class ScanLayout {
    Interleaved,
    ScanPerComponent,
    Progressive,
};

struct JpegSpec {
    int width { 32 };
    int height { 24 };
    int components { 3 }; // 1 gray, 3 YCbCr, 4 CMYK.
    int lumaHorizontal { 1 }; // Sampling of the first component; the others are 1 x 1.
    int lumaVertical { 1 };
    ScanLayout layout { ScanLayout::Interleaved };
    int quality { 95 };
};

// Smooth shading with a few hard edges, different in every channel.
inline std::uint8_t testSample(int x, int y, int channel)
{
    const int edge = ((x / 8) ^ (y / 6)) & 1 ? 60 : 0;
    return static_cast<std::uint8_t>(std::clamp(x * 5 + y * 3 * channel + edge + 20 * channel, 0, 255));
}

inline Bytes makeJpeg(const JpegSpec& spec)
{
    jpeg_compress_struct info {};
    jpeg_error_mgr errors {};
    info.err = jpeg_std_error(&errors);
    jpeg_CreateCompress(&info, JPEG_LIB_VERSION, sizeof info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = static_cast<JDIMENSION>(spec.width);
    info.image_height = static_cast<JDIMENSION>(spec.height);
    info.input_components = spec.components;
    if (spec.components == 1)
        info.in_color_space = JCS_GRAYSCALE;
    else if (spec.components == 4)
        info.in_color_space = JCS_CMYK;
    else
        info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, spec.quality, TRUE);
    for (int i = 0; i < info.num_components; ++i) {
        info.comp_info[i].h_samp_factor = i == 0 ? spec.lumaHorizontal : 1;
        info.comp_info[i].v_samp_factor = i == 0 ? spec.lumaVertical : 1;
    }
    jpeg_scan_info perComponent[4] {};
    if (spec.layout == ScanLayout::Progressive) {
        jpeg_simple_progression(&info);
    } else if (spec.layout == ScanLayout::ScanPerComponent) {
        for (int i = 0; i < spec.components; ++i)
            perComponent[i] = { 1, { i, 0, 0, 0 }, 0, 63, 0, 0 };
        info.scan_info = perComponent;
        info.num_scans = spec.components;
    }
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(spec.width) * static_cast<std::size_t>(spec.components));
    while (info.next_scanline < info.image_height) {
        const int y = static_cast<int>(info.next_scanline);
        for (int x = 0; x < spec.width; ++x) {
            for (int c = 0; c < spec.components; ++c)
                row[static_cast<std::size_t>(x * spec.components + c)] = testSample(x, y, c);
        }
        JSAMPROW rows[1] = { row.data() };
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes bytes(out, out + size);
    std::free(out);
    return bytes;
}

// Where the frame header's marker (FF C0 to FF C2) stands.
inline std::size_t frameHeaderAt(const Bytes& jpeg)
{
    std::size_t at = 2;
    while (at + 4 < jpeg.size() && !(jpeg[at] == 0xFF && jpeg[at + 1] >= 0xC0 && jpeg[at + 1] <= 0xC2))
        at += 2 + static_cast<std::size_t>(jpeg[at + 2] << 8 | jpeg[at + 3]);
    return at;
}

// The same file with its frame header claiming another size; the scans stay as they were.
inline Bytes claimingSize(Bytes jpeg, int width, int height)
{
    const std::size_t frame = frameHeaderAt(jpeg);
    jpeg[frame + 5] = static_cast<std::uint8_t>(height >> 8);
    jpeg[frame + 6] = static_cast<std::uint8_t>(height);
    jpeg[frame + 7] = static_cast<std::uint8_t>(width >> 8);
    jpeg[frame + 8] = static_cast<std::uint8_t>(width);
    return jpeg;
}

// The same file with one component's sampling factors rewritten.
inline Bytes withSampling(Bytes jpeg, int component, int horizontal, int vertical)
{
    const std::size_t frame = frameHeaderAt(jpeg);
    jpeg[frame + 10 + 3 * static_cast<std::size_t>(component) + 1] = static_cast<std::uint8_t>(horizontal << 4 | vertical);
    return jpeg;
}

}
