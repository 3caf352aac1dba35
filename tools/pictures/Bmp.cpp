#include "tools/pictures/Bmp.h"

#include <stdexcept>

namespace pictures {

namespace {

constexpr std::uint32_t kHeadersSize = 14 + 40;
constexpr std::size_t kWidthField = 18;

bool masksInHeader(std::uint32_t infoSize)
{
    return infoSize == 52 || infoSize == 56 || infoSize == 108 || infoSize == 124;
}

}

Bytes writeBmp(const BmpFile& file)
{
    const bool core = file.infoSize == 12;
    Bytes info;
    putLittleEndian(info, file.infoSize, 4);
    if (core) {
        putLittleEndian(info, static_cast<std::uint32_t>(file.width), 2);
        putLittleEndian(info, static_cast<std::uint32_t>(file.height), 2);
        putLittleEndian(info, file.planes, 2);
        putLittleEndian(info, file.bits, 2);
    } else {
        putLittleEndian(info, static_cast<std::uint32_t>(file.width), 4);
        putLittleEndian(info, static_cast<std::uint32_t>(file.height), 4);
        putLittleEndian(info, file.planes, 2);
        putLittleEndian(info, file.bits, 2);
        putLittleEndian(info, file.compression, 4);
        putLittleEndian(info, file.pixels.size(), 4);
        putLittleEndian(info, 2835, 4); // 72 dots per inch, in dots per metre.
        putLittleEndian(info, 2835, 4);
        putLittleEndian(info, file.colorsUsed, 4);
        putLittleEndian(info, 0, 4);
        if (masksInHeader(file.infoSize)) {
            for (std::uint32_t mask : file.masks)
                putLittleEndian(info, mask, 4);
        }
        info.resize(file.infoSize, 0); // OS/2 2.x headers stop early; the rest is zero.
    }
    Bytes afterHeader;
    if (!masksInHeader(file.infoSize) && !core) {
        for (std::uint32_t mask : file.masks)
            putLittleEndian(afterHeader, mask, 4);
    }
    for (const BmpColour& c : file.palette) {
        afterHeader.insert(afterHeader.end(), { c.b, c.g, c.r });
        if (!core)
            afterHeader.push_back(0);
    }
    afterHeader.resize(afterHeader.size() + file.gapBeforePixels, 0);

    const std::uint32_t offset = static_cast<std::uint32_t>(14 + info.size() + afterHeader.size());
    Bytes out;
    out.reserve(offset + file.pixels.size());
    putText(out, "BM");
    putLittleEndian(out, offset + file.pixels.size(), 4);
    putLittleEndian(out, 0, 4);
    putLittleEndian(out, file.pixelOffset.value_or(offset), 4);
    out.insert(out.end(), info.begin(), info.end());
    out.insert(out.end(), afterHeader.begin(), afterHeader.end());
    out.insert(out.end(), file.pixels.begin(), file.pixels.end());
    return out;
}

Bytes packBmpIndexRows(int width, int height, int bits, const IndexPainter& index, bool topDown)
{
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * static_cast<std::size_t>(bits) + 31) / 32 * 4;
    Bytes out;
    for (int row = 0; row < height; ++row) {
        const int y = topDown ? row : height - 1 - row;
        Bytes stored(rowBytes, 0);
        for (int x = 0; x < width; ++x) {
            const std::size_t bit = static_cast<std::size_t>(x) * static_cast<std::size_t>(bits);
            stored[bit / 8] |= static_cast<std::uint8_t>((index(x, y) & ((1 << bits) - 1)) << (8 - bits - static_cast<int>(bit % 8)));
        }
        out.insert(out.end(), stored.begin(), stored.end());
    }
    return out;
}

Bytes packBmpWordRows(int width, int height, int bytesPerPixel, const WordPainter& word, bool topDown)
{
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * static_cast<std::size_t>(bytesPerPixel) + 3) / 4 * 4;
    Bytes out;
    out.reserve(rowBytes * static_cast<std::size_t>(height));
    for (int row = 0; row < height; ++row) {
        const int y = topDown ? row : height - 1 - row;
        const std::size_t rowEnd = out.size() + rowBytes;
        for (int x = 0; x < width; ++x)
            putLittleEndian(out, word(x, y), bytesPerPixel);
        out.resize(rowEnd, 0);
    }
    return out;
}

std::vector<BmpColour> bmpTestPalette(int entries)
{
    std::vector<BmpColour> palette;
    for (int i = 0; i < entries; ++i)
        palette.push_back({ static_cast<std::uint8_t>(i * 37 + 11), static_cast<std::uint8_t>(255 - i * 3), static_cast<std::uint8_t>(i * 91 + 5) });
    return palette;
}

Bytes encodeBmp(const Pixels& pixels, const BmpOptions& options)
{
    checkPixels(pixels);
    if (pixels.format == PixelFormat::Cmyk)
        throw std::invalid_argument("BMP has no CMYK");
    const std::size_t width = static_cast<std::size_t>(pixels.width);
    const std::size_t rowBytes = (width * 3 + 3) / 4 * 4;
    if (rowBytes * static_cast<std::size_t>(pixels.height) > 0xFFFFFFFFu - kHeadersSize)
        throw std::invalid_argument("too large for a BMP's 32-bit sizes");
    const std::size_t channels = static_cast<std::size_t>(channelCount(pixels.format));
    auto bgr = [&pixels, width, channels](int x, int y) {
        const std::uint8_t* source = pixels.bytes.data() + (static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x)) * channels;
        return static_cast<std::uint32_t>(source[0] << 16 | source[1] << 8 | source[2]);
    };
    BmpFile file;
    file.width = pixels.width;
    file.height = options.topDown ? -pixels.height : pixels.height;
    file.pixels = packBmpWordRows(pixels.width, pixels.height, 3, bgr, options.topDown);
    return writeBmp(file);
}

Bytes withDeclaredBmpSize(const Bytes& bmp, std::uint32_t width, std::uint32_t height)
{
    if (bmp.size() < kHeadersSize || bmp[0] != 'B' || bmp[1] != 'M')
        throw std::invalid_argument("not a BMP with an info header");
    Bytes out(bmp.begin(), bmp.begin() + kWidthField);
    putLittleEndian(out, width, 4);
    putLittleEndian(out, height, 4);
    out.insert(out.end(), bmp.begin() + kWidthField + 8, bmp.end());
    return out;
}

}
