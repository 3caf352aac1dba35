#include "platform/ImageDecoders.h"

#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdio>
#include <jerror.h>
#include <jpeglib.h>
#include <utility>

// libjpeg's own interface rather than TurboJPEG's, for three things TurboJPEG cannot give: the file
// streams through a small buffer instead of being read whole, the memory libjpeg may take is
// capped, and the coefficient memory of a multi-scan file is known before it is allocated.

namespace {

constexpr std::size_t kSourceBufferBytes = std::size_t { 64 } * 1024;
// What libjpeg allocates beside the coefficients: tables, and row buffers that for the widest
// picture (65,500 pixels, four components, a few rows) come to a few megabytes.
constexpr std::uint64_t kLibjpegWorkingBytes = 16u << 20;
constexpr int kStripRows = 16;
constexpr std::uint64_t kCoefficientBlockBytes = std::uint64_t { 64 } * 2; // An 8x8 block of 16-bit coefficients.
static_assert(sizeof(JBLOCK) == kCoefficientBlockBytes);

// Everything a decode keeps across libjpeg's callbacks.
// NOTE: libjpeg reports fatal errors by longjmp from inside its own frames into runDecode(); the
// frames it leaves (libjpeg's and the callbacks below) hold no object with a destructor.
struct JpegDecode {
    jpeg_decompress_struct info {};
    jpeg_error_mgr errors {};
    jpeg_source_mgr source {};
    jpeg_progress_mgr progress {};
    std::jmp_buf escape {};
    const ImageFile* file { nullptr };
    std::vector<std::uint8_t> buffer;
    std::uint64_t nextOffset { 0 }; // Where the next read of the file starts.
    bool created { false };
    bool cmyk { false };
    std::vector<std::uint8_t> strip; // Decoded rows before they are set upright.
    std::optional<DecodedImage> image;

    JpegDecode() = default;
    JpegDecode(const JpegDecode&) = delete;
    JpegDecode& operator=(const JpegDecode&) = delete;
    ~JpegDecode()
    {
        if (created)
            jpeg_destroy_decompress(&info);
    }
};

JpegDecode& decodeOf(j_common_ptr info) { return *static_cast<JpegDecode*>(info->client_data); }
JpegDecode& decodeOf(j_decompress_ptr info) { return *static_cast<JpegDecode*>(info->client_data); }

[[noreturn]] void stopDecoding(j_common_ptr info) { std::longjmp(decodeOf(info).escape, 1); }
void keepQuiet(j_common_ptr) { }

// Called as libjpeg works through the scans; a file with too many is refused.
void checkScanCount(j_common_ptr info)
{
    if (info->is_decompressor && reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxJpegScans)
        stopDecoding(info);
}

void initSource(j_decompress_ptr) { }
void termSource(j_decompress_ptr) { }

boolean fillInput(j_decompress_ptr info)
{
    JpegDecode& decode = decodeOf(info);
    std::size_t n = 0;
    if (decode.nextOffset < kMaxJpegFileBytes) {
        const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(decode.buffer.size(), kMaxJpegFileBytes - decode.nextOffset));
        n = decode.file->readAt(decode.nextOffset, decode.buffer.data(), wanted);
    }
    if (n == 0) {
        // As libjpeg's own sources do at the end of the data: a warning, then an end-of-image
        // marker, so that what has been decoded is kept and the rest comes out gray.
        info->err->msg_code = JWRN_JPEG_EOF;
        info->err->emit_message(reinterpret_cast<j_common_ptr>(info), -1);
        decode.buffer[0] = 0xFF;
        decode.buffer[1] = JPEG_EOI;
        n = 2;
    } else {
        decode.nextOffset += n;
    }
    info->src->next_input_byte = decode.buffer.data();
    info->src->bytes_in_buffer = n;
    return TRUE;
}

void skipInput(j_decompress_ptr info, long count)
{
    if (count <= 0)
        return;
    jpeg_source_mgr& source = *info->src;
    const auto skip = static_cast<std::uint64_t>(count);
    if (skip <= source.bytes_in_buffer) {
        source.next_input_byte += skip;
        source.bytes_in_buffer -= static_cast<std::size_t>(skip);
        return;
    }
    // Past the buffer: the next fill reads from there, and skipped segments are never read.
    decodeOf(info).nextOffset += skip - source.bytes_in_buffer;
    source.bytes_in_buffer = 0;
}

int scaled(int dimension, int eighths) { return static_cast<int>((static_cast<std::int64_t>(dimension) * eighths + 7) / 8); }

// The smallest DCT scaling, in eighths, that keeps both sides at least the target's; a 0 x 0
// target asks for full size.
int chooseEighths(int width, int height, int targetWidth, int targetHeight)
{
    if (targetWidth <= 0 && targetHeight <= 0)
        return 8;
    for (int eighths = 1; eighths < 8; ++eighths) {
        if (scaled(width, eighths) >= targetWidth && scaled(height, eighths) >= targetHeight)
            return eighths;
    }
    return 8;
}

JpegLayout layoutOf(const jpeg_decompress_struct& info)
{
    JpegLayout layout;
    layout.width = static_cast<int>(info.image_width);
    layout.height = static_cast<int>(info.image_height);
    layout.components = info.num_components;
    for (int i = 0; i < info.num_components && i < static_cast<int>(layout.sampling.size()); ++i)
        layout.sampling[static_cast<std::size_t>(i)] = { info.comp_info[i].h_samp_factor, info.comp_info[i].v_samp_factor };
    layout.progressive = info.progressive_mode != 0;
    layout.firstScanComponents = info.comps_in_scan;
    return layout;
}

// libjpeg returns CMYK as stored, and the files that carry it (Adobe's) store it inverted.
void convertInvertedCmyk(std::uint8_t* p, int width)
{
    for (int x = 0; x < width; ++x, p += 4) {
        const std::uint32_t c = p[0], m = p[1], yellow = p[2], k = p[3];
        storeWord(p, argbWord(255, multiplyAlpha(c, k), multiplyAlpha(m, k), multiplyAlpha(yellow, k)));
    }
}

// Decodes into decode.image; false for a file beyond the limits. Fatal errors leave by longjmp.
bool decodeSteps(JpegDecode& decode, int orientation, int targetWidth, int targetHeight)
{
    jpeg_decompress_struct& info = decode.info;
    jpeg_CreateDecompress(&info, JPEG_LIB_VERSION, sizeof info);
    decode.created = true;
    decode.progress.progress_monitor = checkScanCount;
    info.progress = &decode.progress;
    decode.source.init_source = initSource;
    decode.source.fill_input_buffer = fillInput;
    decode.source.skip_input_data = skipInput;
    decode.source.resync_to_restart = jpeg_resync_to_restart;
    decode.source.term_source = termSource;
    info.src = &decode.source;

    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK)
        return false;
    // The file may have changed since its header was checked: check again what libjpeg will decode.
    const std::int64_t width = info.image_width, height = info.image_height;
    if (width <= 0 || height <= 0 || width > kMaxJpegSide || height > kMaxJpegSide || width * height > kMaxJpegPixels)
        return false;
    if (info.num_components != 1 && info.num_components != 3 && info.num_components != 4)
        return false;
    const std::uint64_t coefficients = jpegCoefficientBytes(layoutOf(info));

    // The target is in display pixels; the decoder works in stored ones.
    if (orientation >= 5)
        std::swap(targetWidth, targetHeight);
    info.scale_num = static_cast<unsigned>(chooseEighths(info.image_width, info.image_height, targetWidth, targetHeight));
    info.scale_denom = 8;
    decode.cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    // BGRA bytes on a little-endian machine, ARGB on a big-endian one, are cairo's 0xAARRGGBB words.
    if (decode.cmyk)
        info.out_color_space = JCS_CMYK;
    else
        info.out_color_space = std::endian::native == std::endian::little ? JCS_EXT_BGRA : JCS_EXT_ARGB;
    jpeg_calc_output_dimensions(&info);
    if (info.output_components != 4)
        return false;

    // Rows are set upright as they come, so the picture is held once.
    const int outputWidth = static_cast<int>(info.output_width), outputHeight = static_cast<int>(info.output_height);
    const std::uint64_t pixelBytes = static_cast<std::uint64_t>(outputWidth) * static_cast<std::uint64_t>(outputHeight) * 4;
    if (coefficients + pixelBytes > kJpegDecodeBudgetBytes)
        return false;
    // libjpeg's virtual arrays fail rather than grow past this: a hard cap behind the check above.
    info.mem->max_memory_to_use = static_cast<long>(coefficients + kLibjpegWorkingBytes);

    if (orientation >= 5)
        decode.image = allocateImage(outputHeight, outputWidth);
    else
        decode.image = allocateImage(outputWidth, outputHeight);
    // Turned pictures go through a strip of rows, so that each upright row is written in runs.
    const int stripRows = orientation >= 5 ? kStripRows : 1;
    const std::size_t rowBytes = static_cast<std::size_t>(outputWidth) * 4;
    decode.strip.resize(rowBytes * static_cast<std::size_t>(stripRows));
    // NOTE: A warning (truncated or slightly corrupt data) still fills every row, so the picture is
    // kept; only fatal errors give nothing.
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
        const int firstRow = static_cast<int>(info.output_scanline);
        int rows = 0;
        while (rows < stripRows && info.output_scanline < info.output_height) {
            JSAMPROW row = decode.strip.data() + static_cast<std::size_t>(rows) * rowBytes;
            if (jpeg_read_scanlines(&info, &row, 1) != 1)
                return false;
            if (decode.cmyk)
                convertInvertedCmyk(row, outputWidth);
            ++rows;
        }
        placeRowsUpright(decode.strip.data(), rowBytes, firstRow, rows, outputWidth, outputHeight, orientation, *decode.image);
    }
    return true;
}

bool runDecode(JpegDecode& decode, int orientation, int targetWidth, int targetHeight)
{
    decode.info.err = jpeg_std_error(&decode.errors);
    decode.errors.error_exit = stopDecoding;
    decode.errors.output_message = keepQuiet;
    decode.info.client_data = &decode;
    if (setjmp(decode.escape))
        return false;
    return decodeSteps(decode, orientation, targetWidth, targetHeight);
}

std::uint64_t roundUp(std::uint64_t value, std::uint64_t multiple) { return (value + multiple - 1) / multiple * multiple; }

}

std::uint64_t jpegCoefficientBytes(const JpegLayout& layout)
{
    if (!layout.progressive && layout.firstScanComponents >= layout.components)
        return 0;
    const int components = std::clamp(layout.components, 0, static_cast<int>(layout.sampling.size()));
    int maxHorizontal = 1, maxVertical = 1;
    for (int i = 0; i < components; ++i) {
        maxHorizontal = std::max(maxHorizontal, layout.sampling[static_cast<std::size_t>(i)].horizontal);
        maxVertical = std::max(maxVertical, layout.sampling[static_cast<std::size_t>(i)].vertical);
    }
    // Blocks as libjpeg counts them: each component's share of the picture in 8x8 blocks, its
    // arrays padded to whole MCUs of that component.
    std::uint64_t total = 0;
    for (int i = 0; i < components; ++i) {
        const auto& sampling = layout.sampling[static_cast<std::size_t>(i)];
        const std::uint64_t h = static_cast<std::uint64_t>(std::max(sampling.horizontal, 1));
        const std::uint64_t v = static_cast<std::uint64_t>(std::max(sampling.vertical, 1));
        const std::uint64_t mcuWidth = 8 * static_cast<std::uint64_t>(maxHorizontal);
        const std::uint64_t mcuHeight = 8 * static_cast<std::uint64_t>(maxVertical);
        const std::uint64_t blocksWide = (static_cast<std::uint64_t>(layout.width) * h + mcuWidth - 1) / mcuWidth;
        const std::uint64_t blocksHigh = (static_cast<std::uint64_t>(layout.height) * v + mcuHeight - 1) / mcuHeight;
        total += roundUp(blocksWide, h) * roundUp(blocksHigh, v) * kCoefficientBlockBytes;
    }
    return total;
}

std::optional<DecodedImage> decodeJpeg(const ImageFile& file, int orientation, int targetWidth, int targetHeight)
{
    JpegDecode decode;
    decode.file = &file;
    decode.buffer.resize(kSourceBufferBytes);
    if (!runDecode(decode, orientation, targetWidth, targetHeight) || !decode.image)
        return std::nullopt;
    return std::move(decode.image);
}
