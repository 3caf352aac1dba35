#include "platform/ImageDecoders.h"

#include <algorithm>
#include <utility>

namespace {

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
