#include "tools/pictures/Gif.h"
#include "tools/pictures/GifLzw.h"

#include <algorithm>
#include <stdexcept>

namespace pictures {

namespace {

constexpr std::uint32_t kClearCode = 4;
constexpr std::uint32_t kEndCode = 5;

// Image data: the minimum code size, then the codes packed least significant bit first, in
// sub-blocks of at most 255 bytes, then an empty sub-block.
Bytes lzwLiterals(const std::vector<std::uint8_t>& indices)
{
    Bytes packed;
    std::uint32_t bits = 0;
    int bitCount = 0;
    auto emit = [&](std::uint32_t code) {
        bits |= code << bitCount;
        bitCount += 3;
        while (bitCount >= 8) {
            packed.push_back(static_cast<std::uint8_t>(bits));
            bits >>= 8;
            bitCount -= 8;
        }
    };
    for (std::size_t i = 0; i < indices.size(); ++i) {
        if (i % 2 == 0)
            emit(kClearCode);
        emit(indices[i]);
    }
    emit(kEndCode);
    if (bitCount > 0)
        packed.push_back(static_cast<std::uint8_t>(bits));
    return gifImageData(2, packed);
}

void checkSide(int side)
{
    if (side <= 0 || side > 65'535)
        throw std::invalid_argument("a GIF's sides are 1 to 65,535 pixels");
}

}

Bytes encodeGif(int width, int height, const std::array<Rgba, 4>& colours, const std::vector<GifFrame>& frames)
{
    checkSide(width);
    checkSide(height);
    Bytes out;
    putText(out, "GIF89a");
    putLittleEndian(out, static_cast<std::uint32_t>(width), 2);
    putLittleEndian(out, static_cast<std::uint32_t>(height), 2);
    out.insert(out.end(), { 0x81, 0, 0 }); // A global table of four colours.
    for (const Rgba& c : colours)
        out.insert(out.end(), { static_cast<std::uint8_t>(c.r), static_cast<std::uint8_t>(c.g), static_cast<std::uint8_t>(c.b) });
    for (const GifFrame& frame : frames) {
        checkSide(frame.width);
        checkSide(frame.height);
        if (frame.indices.size() != static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height))
            throw std::invalid_argument("a GIF frame needs one index for each of its pixels");
        if (std::any_of(frame.indices.begin(), frame.indices.end(), [](std::uint8_t index) { return index > 3; }))
            throw std::invalid_argument("a GIF frame's indices are 0 to 3");
        const bool transparent = frame.transparentIndex >= 0;
        // Graphic control extension: transparency flag, a delay of 10 hundredths, the index.
        out.insert(out.end(),
            { 0x21, 0xF9, 4, static_cast<std::uint8_t>(transparent ? 1 : 0), 10, 0, static_cast<std::uint8_t>(transparent ? frame.transparentIndex : 0), 0 });
        out.push_back(0x2C);
        putLittleEndian(out, 0, 4);
        putLittleEndian(out, static_cast<std::uint32_t>(frame.width), 2);
        putLittleEndian(out, static_cast<std::uint32_t>(frame.height), 2);
        out.push_back(0);
        const Bytes data = lzwLiterals(frame.indices);
        out.insert(out.end(), data.begin(), data.end());
    }
    out.push_back(0x3B);
    return out;
}

}
