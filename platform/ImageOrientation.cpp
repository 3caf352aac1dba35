#include "platform/ImageDecoders.h"

#include <algorithm>

// Stored pixel (x, y) of a w x h picture lands, upright, at:
//   1 (x, y)          2 (w-1-x, y)          3 (w-1-x, h-1-y)      4 (x, h-1-y)
//   5 (y, x)          6 (h-1-y, x)          7 (h-1-y, w-1-x)      8 (y, w-1-x)
void placeRowsUpright(const std::uint8_t* rows, std::size_t rowBytes, int firstRow, int rowCount, int storedWidth, int storedHeight,
    int orientation, DecodedImage& upright)
{
    const auto wordAt = [&](int column, int line) {
        return upright.pixels.data() + static_cast<std::size_t>(line) * upright.stride + static_cast<std::size_t>(column) * 4;
    };
    if (orientation < 5 || orientation > 8) {
        const bool mirrored = orientation == 2 || orientation == 3;
        const bool flipped = orientation == 3 || orientation == 4;
        for (int r = 0; r < rowCount; ++r) {
            const std::uint8_t* row = rows + static_cast<std::size_t>(r) * rowBytes;
            const int y = firstRow + r;
            std::uint8_t* out = wordAt(0, flipped ? storedHeight - 1 - y : y);
            if (!mirrored) {
                std::copy(row, row + static_cast<std::size_t>(storedWidth) * 4, out);
                continue;
            }
            for (int x = 0; x < storedWidth; ++x)
                storeWord(out + static_cast<std::size_t>(storedWidth - 1 - x) * 4, loadWord(row + static_cast<std::size_t>(x) * 4));
        }
        return;
    }
    // Stored rows become columns: from the right for 6 and 7, running upwards for 7 and 8. Each
    // stored column of the strip fills a short run of one upright row, which keeps writes together.
    const bool fromRight = orientation == 6 || orientation == 7;
    const bool upwards = orientation == 7 || orientation == 8;
    for (int x = 0; x < storedWidth; ++x) {
        const int line = upwards ? storedWidth - 1 - x : x;
        const std::uint8_t* in = rows + static_cast<std::size_t>(x) * 4;
        for (int r = 0; r < rowCount; ++r, in += rowBytes) {
            const int y = firstRow + r;
            storeWord(wordAt(fromRight ? storedHeight - 1 - y : y, line), loadWord(in));
        }
    }
}
