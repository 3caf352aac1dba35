#pragma once

// Real GIF LZW image data: strings grow in a table of up to 4096 codes and the code width from
// minimum + 1 to 12, so decoders meet every code width and a full table. Encoders differ in where
// they put clear codes; the options make the unusual but valid choices.

#include "tools/pictures/Pixels.h"

#include <vector>

namespace pictures {

struct GifLzwOptions {
    bool leadingClear { true };
    bool clearWhenFull { true }; // Otherwise the table stays full and the clear code is deferred.
};

// Image data around codes already packed least significant bit first: the minimum code size byte,
// the codes in sub-blocks of at most 255 bytes, and the empty sub-block that ends them.
Bytes gifImageData(int minimumCodeSize, const Bytes& packedCodes);

// The minimum code size byte, the codes in sub-blocks of at most 255 bytes, and the terminator.
Bytes encodeGifLzw(const std::vector<int>& indices, int minimumCodeSize, GifLzwOptions = {});

}
