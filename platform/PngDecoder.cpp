#include "platform/ImageDecoders.h"

#include <csetjmp>
#include <png.h>

// libpng's progressive reader: the file is pushed in as it is read, and rows come out as soon as the
// compressed data allows. A file cut short simply stops giving rows, even within one IDAT chunk,
// where the pull reader would fail the whole chunk.

namespace {

// Reading stops here whatever the file holds: a stream of empty deflate blocks could otherwise
// make any file, however large, cost time to read while giving no rows.
constexpr std::uint64_t kMaxPngFileBytes = 1u << 30;

[[noreturn]] void stopDecoding(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void ignoreWarning(png_structp, png_const_charp) { }

class PngReadStruct {
public:
    PngReadStruct()
        : m_png(png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, stopDecoding, ignoreWarning))
        , m_info(m_png ? png_create_info_struct(m_png) : nullptr)
    {
    }
    ~PngReadStruct() { png_destroy_read_struct(m_png ? &m_png : nullptr, m_info ? &m_info : nullptr, nullptr); }
    PngReadStruct(const PngReadStruct&) = delete;
    PngReadStruct& operator=(const PngReadStruct&) = delete;

    png_structp png() const { return m_png; }
    png_infop info() const { return m_info; }

private:
    png_structp m_png { nullptr };
    png_infop m_info { nullptr };
};

// Everything a decode keeps across libpng's callbacks.
// NOTE: libpng reports errors by longjmp, which may cross the callbacks and the function that
// calls setjmp; none of them keeps an object with a destructor of its own. They all live here.
struct PngDecode {
    int targetWidth { 0 };
    int targetHeight { 0 };
    int width { 0 };
    int height { 0 };
    bool interlaced { false };
    bool fullSize { false };
    std::optional<DecodedImage> image;
    std::optional<RowDownscaler> downscaler;
    std::vector<std::uint8_t> wholeImage; // Interlaced and reduced only.
    std::vector<std::uint8_t*> rowStarts; // Interlaced only: where each row is combined.
    int rowsDone { 0 }; // Not interlaced: rows stored, top first.
    bool ended { false }; // IEND was read.
};

PngDecode& decodeOf(png_structp png) { return *static_cast<PngDecode*>(png_get_progressive_ptr(png)); }

// Chooses libpng's transforms so that every row arrives as 8-bit straight RGBA.
void requestRgba(png_structp png, png_infop info)
{
    const int colorType = png_get_color_type(png, info);
    const int depth = png_get_bit_depth(png, info);
    const bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (transparency)
        png_set_tRNS_to_alpha(png);
    if (depth == 16)
        png_set_scale_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    if (!(colorType & PNG_COLOR_MASK_ALPHA) && !transparency)
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
}

// Sets up the result. Returns false instead of throwing, since it runs inside libpng.
bool prepare(PngDecode& decode) noexcept
{
    try {
        const PixelSize size = reducedSize(decode.width, decode.height, decode.targetWidth, decode.targetHeight);
        decode.image = allocateImage(size.width, size.height);
        decode.fullSize = size == PixelSize { decode.width, decode.height };
        if (!decode.fullSize)
            decode.downscaler.emplace(decode.width, decode.height, *decode.image);
        if (decode.interlaced) {
            // Adam7 fills rows over seven passes, so the image is held whole: in the result itself at
            // full size (converted in place at the end), else in a buffer (under kMaxWholeImagePixels).
            const std::size_t rowBytes = static_cast<std::size_t>(decode.width) * 4;
            std::uint8_t* base = decode.image->pixels.data();
            std::size_t stride = static_cast<std::size_t>(decode.image->stride);
            if (!decode.fullSize) {
                decode.wholeImage.assign(rowBytes * static_cast<std::size_t>(decode.height), 0);
                base = decode.wholeImage.data();
                stride = rowBytes;
            }
            decode.rowStarts.resize(static_cast<std::size_t>(decode.height));
            for (std::size_t y = 0; y < decode.rowStarts.size(); ++y)
                decode.rowStarts[y] = base + y * stride;
        }
        return true;
    } catch (...) {
        return false;
    }
}

void onInfo(png_structp png, png_infop info)
{
    PngDecode& decode = decodeOf(png);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    const std::int64_t pixels = static_cast<std::int64_t>(width) * height;
    decode.interlaced = png_get_interlace_type(png, info) != PNG_INTERLACE_NONE;
    if (width == 0 || height == 0 || width > kMaxPngSide || height > kMaxPngSide || pixels > kMaxPngPixels
        || (decode.interlaced && pixels > kMaxWholeImagePixels))
        png_error(png, "too large");
    decode.width = static_cast<int>(width);
    decode.height = static_cast<int>(height);
    requestRgba(png, info);
    if (decode.interlaced)
        png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<std::size_t>(width) * 4 || !prepare(decode))
        png_error(png, "cannot decode");
}

void onRow(png_structp png, png_bytep row, png_uint_32 rowNumber, int)
{
    PngDecode& decode = decodeOf(png);
    if (rowNumber >= static_cast<png_uint_32>(decode.height))
        return;
    if (decode.interlaced) {
        // A null row has nothing new in this pass; combining copies only this pass's pixels.
        png_progressive_combine_row(png, decode.rowStarts[rowNumber], row);
        return;
    }
    if (!row || static_cast<int>(rowNumber) != decode.rowsDone)
        return;
    DecodedImage& image = *decode.image;
    if (decode.fullSize)
        storeRgbaRow(row, image.pixels.data() + static_cast<std::size_t>(rowNumber) * image.stride, decode.width);
    else
        decode.downscaler->addRow(row);
    ++decode.rowsDone;
}

void onEnd(png_structp png, png_infop) { decodeOf(png).ended = true; }

// Pushes the file into libpng until the image is complete, the file ends or libpng gives up.
void pushFile(png_structp png, png_infop info, const ImageFile& file, std::uint8_t* buffer, std::size_t bufferSize)
{
    if (setjmp(png_jmpbuf(png)))
        return;
    PngDecode& decode = decodeOf(png);
    for (std::uint64_t offset = 0; offset < kMaxPngFileBytes;) {
        const std::size_t n = file.readAt(offset, buffer, bufferSize);
        if (n == 0)
            return;
        png_process_data(png, info, buffer, n);
        offset += n;
        // The chunks after the image data change no pixel.
        if (decode.ended || (!decode.interlaced && decode.image && decode.rowsDone == decode.height))
            return;
    }
}

}

std::optional<DecodedImage> decodePng(const ImageFile& file, int targetWidth, int targetHeight)
{
    PngReadStruct read;
    if (!read.png() || !read.info())
        return std::nullopt;
    png_set_user_limits(read.png(), kMaxPngSide, kMaxPngSide);
    png_set_chunk_cache_max(read.png(), 128); // Ancillary chunks kept (text, sPLT, ...).
    png_set_chunk_malloc_max(read.png(), 8u << 20); // Any one chunk, after decompression (iCCP, zTXt).

    PngDecode decode;
    decode.targetWidth = targetWidth;
    decode.targetHeight = targetHeight;
    png_set_progressive_read_fn(read.png(), &decode, onInfo, onRow, onEnd);
    std::vector<std::uint8_t> buffer(std::size_t { 64 } * 1024);
    pushFile(read.png(), read.info(), file, buffer.data(), buffer.size());

    if (!decode.image)
        return std::nullopt;
    if (decode.interlaced) {
        // Interlaced rows are only right once the last pass is in, so a cut-short one gives nothing
        // rather than a sparse picture.
        if (!decode.ended)
            return std::nullopt;
        for (int y = 0; y < decode.height; ++y) {
            std::uint8_t* row = decode.rowStarts[static_cast<std::size_t>(y)];
            if (decode.fullSize)
                storeRgbaRow(row, row, decode.width);
            else
                decode.downscaler->addRow(row);
        }
        return std::move(decode.image);
    }
    // A truncated or broken stream keeps the rows that came before it; the rest stays transparent.
    if (decode.rowsDone == 0)
        return std::nullopt;
    return std::move(decode.image);
}
