#include "platform/ImageDecoders.h"

#include <algorithm>

// Stored pixel (x, y) of a w x h picture lands, upright, at:
//   1 (x, y)          2 (w-1-x, y)          3 (w-1-x, h-1-y)      4 (x, h-1-y)
//   5 (y, x)          6 (h-1-y, x)          7 (h-1-y, w-1-x)      8 (y, w-1-x)
void placeRowUpright(const std::uint8_t* row, int y, int storedWidth, int storedHeight, int orientation, DecodedImage& upright)
{
    const auto wordAt = [&](int column, int line) {
        return upright.pixels.data() + static_cast<std::size_t>(line) * upright.stride + static_cast<std::size_t>(column) * 4;
    };
    const bool mirrored = orientation == 2 || orientation == 3;
    const bool flipped = orientation == 3 || orientation == 4;
    if (orientation < 5 || orientation > 8) {
        const int line = flipped ? storedHeight - 1 - y : y;
        std::uint8_t* out = wordAt(0, line);
        if (!mirrored) {
            std::copy(row, row + static_cast<std::size_t>(storedWidth) * 4, out);
            return;
        }
        for (int x = 0; x < storedWidth; ++x)
            storeWord(out + static_cast<std::size_t>(storedWidth - 1 - x) * 4, loadWord(row + static_cast<std::size_t>(x) * 4));
        return;
    }
    // A stored row becomes a column: from the right for 6 and 7, running upwards for 7 and 8.
    const int column = orientation == 6 || orientation == 7 ? storedHeight - 1 - y : y;
    const bool upwards = orientation == 7 || orientation == 8;
    const std::ptrdiff_t step = upwards ? -static_cast<std::ptrdiff_t>(upright.stride) : upright.stride;
    std::uint8_t* out = wordAt(column, upwards ? storedWidth - 1 : 0);
    for (int x = 0; x < storedWidth; ++x, out += step)
        storeWord(out, loadWord(row + static_cast<std::size_t>(x) * 4));
}
