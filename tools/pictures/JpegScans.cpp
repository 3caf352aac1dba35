#include "tools/pictures/JpegScans.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <stdexcept>
#include <string>

namespace pictures {

namespace {

// NOTE: libjpeg reports errors by longjmp, so everything between setjmp and the last libjpeg call
// lives in this plain struct: no destructor is ever skipped.
struct JpegScanWriter {
    jpeg_compress_struct info {};
    jpeg_error_mgr errors {};
    std::jmp_buf escape {};
    jpeg_scan_info perComponent[4] {};
    unsigned char* buffer { nullptr }; // libjpeg's, freed with free().
    unsigned long size { 0 };
    JSAMPLE* row { nullptr };
    char message[JMSG_LENGTH_MAX] {};
};

[[noreturn]] void onError(j_common_ptr info)
{
    auto* writer = static_cast<JpegScanWriter*>(info->client_data);
    (*info->err->format_message)(info, writer->message);
    std::longjmp(writer->escape, 1);
}

void checkLayout(const JpegScanLayout& layout)
{
    if (layout.width < 1 || layout.width > 65'535 || layout.height < 1 || layout.height > 65'535)
        throw std::invalid_argument("a JPEG's sides are 1 to 65,535 pixels");
    if (layout.components != 1 && layout.components != 3 && layout.components != 4)
        throw std::invalid_argument("a JPEG here has 1, 3 or 4 components");
    if (layout.lumaHorizontal < 1 || layout.lumaHorizontal > 4 || layout.lumaVertical < 1 || layout.lumaVertical > 4)
        throw std::invalid_argument("a sampling factor is 1 to 4");
    if (layout.quality < 1 || layout.quality > 100)
        throw std::invalid_argument("a JPEG quality is 1 to 100");
}

void setUp(JpegScanWriter& writer, const JpegScanLayout& layout)
{
    jpeg_compress_struct& info = writer.info;
    jpeg_mem_dest(&info, &writer.buffer, &writer.size);
    info.image_width = static_cast<JDIMENSION>(layout.width);
    info.image_height = static_cast<JDIMENSION>(layout.height);
    info.input_components = layout.components;
    if (layout.components == 1)
        info.in_color_space = JCS_GRAYSCALE;
    else if (layout.components == 4)
        info.in_color_space = JCS_CMYK;
    else
        info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, layout.quality, TRUE);
    for (int i = 0; i < info.num_components; ++i) {
        info.comp_info[i].h_samp_factor = i == 0 ? layout.lumaHorizontal : 1;
        info.comp_info[i].v_samp_factor = i == 0 ? layout.lumaVertical : 1;
    }
    if (layout.scans == JpegScans::Progressive) {
        jpeg_simple_progression(&info);
    } else if (layout.scans == JpegScans::ScanPerComponent) {
        for (int i = 0; i < layout.components; ++i)
            writer.perComponent[i] = { 1, { i, 0, 0, 0 }, 0, 63, 0, 0 };
        info.scan_info = writer.perComponent;
        info.num_scans = layout.components;
    }
}

bool compressWithLibjpeg(JpegScanWriter& writer, const JpegScanLayout& layout)
{
    if (setjmp(writer.escape))
        return false;
    jpeg_CreateCompress(&writer.info, JPEG_LIB_VERSION, sizeof writer.info);
    setUp(writer, layout);
    jpeg_start_compress(&writer.info, TRUE);
    while (writer.info.next_scanline < writer.info.image_height) {
        const int y = static_cast<int>(writer.info.next_scanline);
        for (int x = 0; x < layout.width; ++x) {
            for (int c = 0; c < layout.components; ++c)
                writer.row[x * layout.components + c] = jpegTestSample(x, y, c);
        }
        jpeg_write_scanlines(&writer.info, &writer.row, 1);
    }
    jpeg_finish_compress(&writer.info);
    return true;
}

}

std::uint8_t jpegTestSample(int x, int y, int channel)
{
    const int edge = ((x / 8) ^ (y / 6)) & 1 ? 60 : 0;
    return static_cast<std::uint8_t>(std::clamp(x * 5 + y * 3 * channel + edge + 20 * channel, 0, 255));
}

Bytes encodeJpegScans(const JpegScanLayout& layout)
{
    checkLayout(layout);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(layout.width) * static_cast<std::size_t>(layout.components));
    JpegScanWriter writer;
    writer.row = row.data();
    writer.info.err = jpeg_std_error(&writer.errors);
    writer.errors.error_exit = onError;
    writer.info.client_data = &writer;
    const bool written = compressWithLibjpeg(writer, layout);
    jpeg_destroy_compress(&writer.info);
    // Only a finished compression says which buffer is the current one: a failure after libjpeg
    // grew its buffer leaves a pointer to one it already freed, so that one is left alone.
    if (!written)
        throw std::runtime_error(std::string("JPEG encoding failed: ") + writer.message);
    Bytes jpeg(writer.buffer, writer.buffer + writer.size);
    std::free(writer.buffer);
    return jpeg;
}

}
