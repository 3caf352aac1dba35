#include "tools/pictures/Bmp.h"

#include <stdexcept>

namespace pictures {

namespace {

constexpr std::uint32_t kHeadersSize = 14 + 40;
constexpr std::size_t kWidthField = 18;

}

Bytes encodeBmp(const Pixels& pixels, const BmpOptions& options)
{
    checkPixels(pixels);
    if (pixels.format == PixelFormat::Cmyk)
        throw std::invalid_argument("BMP has no CMYK");
    const std::size_t width = static_cast<std::size_t>(pixels.width);
    const std::size_t height = static_cast<std::size_t>(pixels.height);
    const std::size_t rowBytes = (width * 3 + 3) / 4 * 4;
    const std::size_t imageBytes = rowBytes * height;
    if (imageBytes > 0xFFFFFFFFu - kHeadersSize)
        throw std::invalid_argument("too large for a BMP's 32-bit sizes");
    const int storedHeight = options.topDown ? -pixels.height : pixels.height;

    Bytes out;
    out.reserve(kHeadersSize + imageBytes);
    putText(out, "BM");
    putLittleEndian(out, kHeadersSize + imageBytes, 4);
    putLittleEndian(out, 0, 4);
    putLittleEndian(out, kHeadersSize, 4);
    putLittleEndian(out, 40, 4);
    putLittleEndian(out, width, 4);
    putLittleEndian(out, static_cast<std::uint32_t>(storedHeight), 4);
    putLittleEndian(out, 1, 2); // Planes.
    putLittleEndian(out, 24, 2); // Bits per pixel.
    putLittleEndian(out, 0, 4); // BI_RGB.
    putLittleEndian(out, imageBytes, 4);
    putLittleEndian(out, 2835, 4); // 72 dots per inch, in dots per metre.
    putLittleEndian(out, 2835, 4);
    putLittleEndian(out, 0, 4);
    putLittleEndian(out, 0, 4);
    const std::size_t channels = static_cast<std::size_t>(channelCount(pixels.format));
    for (std::size_t row = 0; row < height; ++row) {
        const std::size_t y = options.topDown ? row : height - 1 - row;
        const std::uint8_t* source = pixels.bytes.data() + y * width * channels;
        for (std::size_t x = 0; x < width; ++x, source += channels)
            out.insert(out.end(), { source[2], source[1], source[0] });
        out.resize(out.size() + rowBytes - width * 3, 0);
    }
    return out;
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
