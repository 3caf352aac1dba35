#pragma once

// BMP's run-length streams (RLE8, and RLE4 with two indices to a byte): written code by code, for
// streams with jumps and damage, or as an encoder writes a whole picture.

#include "tools/pictures/Bmp.h"

namespace pictures {

class BmpRunLengths {
public:
    BmpRunLengths& run(int count, std::uint8_t value);
    // Literal indices (three or more), padded to 16 bits; for RLE4 two to a byte.
    BmpRunLengths& literal(const std::vector<int>& indices, bool fourBits);
    BmpRunLengths& endOfLine();
    BmpRunLengths& endOfBitmap();
    BmpRunLengths& delta(int dx, int dy);
    const Bytes& bytes() const { return m_bytes; }

private:
    BmpRunLengths& escape(std::uint8_t code);

    Bytes m_bytes;
};

// Bottom row first, repeats as runs, other stretches of three or more as literals, each row
// ended, then the end of the bitmap.
Bytes encodeBmpRunLengths(int width, int height, bool fourBits, const IndexPainter&);

}
