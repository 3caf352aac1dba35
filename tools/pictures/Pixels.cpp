#include "tools/pictures/Pixels.h"

#include <algorithm>
#include <stdexcept>

namespace pictures {

Painter solid(Rgba colour)
{
    return [colour](int, int) { return colour; };
}

int channelCount(PixelFormat format)
{
    if (format == PixelFormat::Rgb)
        return 3;
    return 4;
}

Pixels paint(int width, int height, const Painter& painter, PixelFormat format)
{
    if (format == PixelFormat::Cmyk)
        throw std::invalid_argument("a painter gives RGBA, not CMYK");
    if (width <= 0 || height <= 0)
        throw std::invalid_argument("a picture is at least one pixel wide and high");
    const bool alpha = format == PixelFormat::Rgba;
    Pixels pixels { width, height, format, {} };
    pixels.bytes.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * static_cast<std::size_t>(channelCount(format)));
    auto put = [&pixels](int channel) { pixels.bytes.push_back(static_cast<std::uint8_t>(std::clamp(channel, 0, 255))); };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgba colour = painter(x, y);
            put(colour.r);
            put(colour.g);
            put(colour.b);
            if (alpha)
                put(colour.a);
        }
    }
    return pixels;
}

void checkPixels(const Pixels& pixels)
{
    if (pixels.width <= 0 || pixels.height <= 0)
        throw std::invalid_argument("a picture is at least one pixel wide and high");
    const auto expected = static_cast<std::size_t>(pixels.width) * static_cast<std::size_t>(pixels.height) * static_cast<std::size_t>(channelCount(pixels.format));
    if (pixels.bytes.size() != expected)
        throw std::invalid_argument("the pixel bytes do not fill the picture's size");
}

}
