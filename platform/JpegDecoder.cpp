#include "platform/ImageDecoders.h"

#include <algorithm>
#include <bit>
#include <turbojpeg.h>
#include <utility>

namespace {

class DecompressHandle {
public:
    DecompressHandle()
        : m_handle(tjInitDecompress())
    {
    }
    ~DecompressHandle()
    {
        if (m_handle)
            tjDestroy(m_handle);
    }
    DecompressHandle(const DecompressHandle&) = delete;
    DecompressHandle& operator=(const DecompressHandle&) = delete;

    tjhandle get() const { return m_handle; }

private:
    tjhandle m_handle { nullptr };
};

int scaled(int dimension, tjscalingfactor factor)
{
    return static_cast<int>((static_cast<std::int64_t>(dimension) * factor.num + factor.denom - 1) / factor.denom);
}

// The smallest of TurboJPEG's factors (never above 1) that keeps both sides at least the target's.
tjscalingfactor chooseScalingFactor(int width, int height, int targetWidth, int targetHeight)
{
    tjscalingfactor best { 1, 1 };
    if (targetWidth <= 0 && targetHeight <= 0)
        return best;
    int count = 0;
    const tjscalingfactor* factors = tjGetScalingFactors(&count);
    for (int i = 0; factors && i < count; ++i) {
        const tjscalingfactor factor = factors[i];
        if (factor.num <= 0 || factor.denom <= 0 || factor.num > factor.denom)
            continue;
        if (scaled(width, factor) < targetWidth || scaled(height, factor) < targetHeight)
            continue;
        if (static_cast<std::int64_t>(factor.num) * best.denom < static_cast<std::int64_t>(best.num) * factor.denom)
            best = factor;
    }
    return best;
}

// libjpeg returns CMYK as stored, and the files that carry it (Adobe's) store it inverted.
void convertInvertedCmyk(DecodedImage& image)
{
    for (int y = 0; y < image.height; ++y) {
        std::uint8_t* p = image.pixels.data() + static_cast<std::size_t>(y) * image.stride;
        for (int x = 0; x < image.width; ++x, p += 4) {
            const std::uint32_t c = p[0], m = p[1], yellow = p[2], k = p[3];
            storeWord(p, argbWord(255, multiplyAlpha(c, k), multiplyAlpha(m, k), multiplyAlpha(yellow, k)));
        }
    }
}

void mirrorRows(DecodedImage& image)
{
    for (int y = 0; y < image.height; ++y) {
        std::uint8_t* row = image.pixels.data() + static_cast<std::size_t>(y) * image.stride;
        for (int left = 0, right = image.width - 1; left < right; ++left, --right) {
            const std::uint32_t word = loadWord(row + left * 4);
            storeWord(row + left * 4, loadWord(row + right * 4));
            storeWord(row + right * 4, word);
        }
    }
}

void flipRows(DecodedImage& image)
{
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 4;
    for (int top = 0, bottom = image.height - 1; top < bottom; ++top, --bottom) {
        std::uint8_t* a = image.pixels.data() + static_cast<std::size_t>(top) * image.stride;
        std::uint8_t* b = image.pixels.data() + static_cast<std::size_t>(bottom) * image.stride;
        std::swap_ranges(a, a + rowBytes, b);
    }
}

// Orientations 5 to 8: source pixel (x, y) lands at (y or h-1-y, x or w-1-x) of an image with the
// sides swapped. Walked in tiles so that the rows being read and written stay in cache.
DecodedImage transpose(const DecodedImage& source, int orientation)
{
    DecodedImage result = allocateImage(source.height, source.width);
    const bool fromRight = orientation == 6 || orientation == 7; // Source rows become columns from the right.
    const bool fromBottom = orientation == 7 || orientation == 8; // Source columns become rows from the bottom.
    const std::ptrdiff_t step = fromBottom ? -static_cast<std::ptrdiff_t>(result.stride) : result.stride;
    constexpr int tile = 32;
    for (int ty = 0; ty < source.height; ty += tile) {
        const int yEnd = std::min(ty + tile, source.height);
        for (int tx = 0; tx < source.width; tx += tile) {
            const int count = std::min(tile, source.width - tx);
            const int firstRow = fromBottom ? source.width - 1 - tx : tx;
            for (int y = ty; y < yEnd; ++y) {
                const int column = fromRight ? source.height - 1 - y : y;
                const std::uint8_t* in = source.pixels.data() + static_cast<std::size_t>(y) * source.stride
                    + static_cast<std::size_t>(tx) * 4;
                std::uint8_t* out = result.pixels.data() + static_cast<std::size_t>(firstRow) * result.stride
                    + static_cast<std::size_t>(column) * 4;
                for (int i = 0; i < count; ++i, in += 4, out += step)
                    storeWord(out, loadWord(in));
            }
        }
    }
    return result;
}

DecodedImage orientUpright(DecodedImage image, int orientation)
{
    switch (orientation) {
    case 2:
        mirrorRows(image);
        return image;
    case 3:
        mirrorRows(image);
        flipRows(image);
        return image;
    case 4:
        flipRows(image);
        return image;
    case 5:
    case 6:
    case 7:
    case 8:
        return transpose(image, orientation);
    default:
        return image;
    }
}

}

std::optional<DecodedImage> decodeJpeg(const ImageFile& file, int orientation, int targetWidth, int targetHeight)
{
    auto bytes = file.readAll(kMaxJpegFileBytes);
    if (!bytes)
        return std::nullopt;
    DecompressHandle decompressor;
    if (!decompressor.get())
        return std::nullopt;
    int width = 0, height = 0, subsampling = 0, colorspace = 0;
    if (tjDecompressHeader3(decompressor.get(), bytes->data.get(), bytes->size, &width, &height, &subsampling, &colorspace) != 0)
        return std::nullopt;
    // The file may have changed since its header was read: check again what libjpeg will decode.
    if (width <= 0 || height <= 0 || width > kMaxJpegSide || height > kMaxJpegSide
        || static_cast<std::int64_t>(width) * height > kMaxJpegPixels)
        return std::nullopt;

    // The target is in display pixels; the decoder works in stored ones.
    if (orientation >= 5)
        std::swap(targetWidth, targetHeight);
    const tjscalingfactor factor = chooseScalingFactor(width, height, targetWidth, targetHeight);
    DecodedImage image = allocateImage(scaled(width, factor), scaled(height, factor));

    const bool cmyk = colorspace == TJCS_CMYK || colorspace == TJCS_YCCK;
    // BGRA bytes on a little-endian machine, ARGB on a big-endian one, are cairo's 0xAARRGGBB words.
    int pixelFormat = std::endian::native == std::endian::little ? TJPF_BGRA : TJPF_ARGB;
    if (cmyk)
        pixelFormat = TJPF_CMYK;
    // NOTE: A warning (truncated or slightly corrupt data) still fills every row, so the picture is
    // kept; only fatal errors, including more than 500 progressive scans, give nothing.
    if (tjDecompress2(decompressor.get(), bytes->data.get(), bytes->size, image.pixels.data(), image.width, image.stride,
            image.height, pixelFormat, TJFLAG_LIMITSCANS)
            != 0
        && tjGetErrorCode(decompressor.get()) != TJERR_WARNING)
        return std::nullopt;
    bytes.reset();

    if (cmyk)
        convertInvertedCmyk(image);
    return orientUpright(std::move(image), orientation);
}
