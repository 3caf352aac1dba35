#include "render/FramePixels.h"

#include <cairo.h>

#include <stdexcept>

namespace orvessa {

FramePixels::FramePixels(const Frame& frame)
{
    if (!frame.surface())
        throw std::runtime_error("cannot encode the picture: it is empty");
    m_data = cairo_image_surface_get_data(frame.surface());
    m_width = frame.width();
    m_height = frame.height();
    m_stride = cairo_image_surface_get_stride(frame.surface());
    if (!m_data)
        throw std::runtime_error("cannot encode the picture: cairo gives no pixels");
}

std::span<const std::uint32_t> FramePixels::row(int y) const
{
    // cairo aligns rows to 4 bytes, so the words of a row are aligned.
    return { reinterpret_cast<const std::uint32_t*>(m_data + std::ptrdiff_t(y) * m_stride), std::size_t(m_width) };
}

bool FramePixels::isOpaque() const
{
    for (int y = 0; y < m_height; ++y) {
        std::uint32_t all = 0xFF000000u;
        for (std::uint32_t pixel : row(y))
            all &= pixel;
        if ((all >> 24) != 0xFF)
            return false;
    }
    return true;
}

StraightColour straightColour(std::uint32_t pixel)
{
    unsigned a = pixel >> 24;
    unsigned r = (pixel >> 16) & 0xFF;
    unsigned g = (pixel >> 8) & 0xFF;
    unsigned b = pixel & 0xFF;
    if (a == 0xFF)
        return { std::uint8_t(r), std::uint8_t(g), std::uint8_t(b), 0xFF };
    if (a == 0)
        return { 0, 0, 0, 0 };
    // Rounded, as cairo's own PNG writer un-premultiplies.
    auto straight = [a](unsigned c) { return std::uint8_t(std::min(255u, (c * 255 + a / 2) / a)); };
    return { straight(r), straight(g), straight(b), std::uint8_t(a) };
}

void packRgb(std::span<const std::uint32_t> row, std::uint8_t* out)
{
    for (std::uint32_t pixel : row) {
        out[0] = std::uint8_t(pixel >> 16);
        out[1] = std::uint8_t(pixel >> 8);
        out[2] = std::uint8_t(pixel);
        out += 3;
    }
}

void packRgba(std::span<const std::uint32_t> row, std::uint8_t* out)
{
    for (std::uint32_t pixel : row) {
        StraightColour colour = straightColour(pixel);
        out[0] = colour.r;
        out[1] = colour.g;
        out[2] = colour.b;
        out[3] = colour.a;
        out += 4;
    }
}

}
