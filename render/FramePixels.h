#pragma once

#include "render/Frame.h"

#include <cstdint>
#include <span>

namespace orvessa {

// A frame's pixels as the encoders read them: cairo's premultiplied ARGB32 words, row by row.
class FramePixels {
public:
    // Throws std::runtime_error for an empty frame. Reads the memory as it is: cairo draws into image
    // surfaces at once, so nothing is pending, and reading never changes the surface, so several
    // threads may read one frame.
    explicit FramePixels(const Frame&);

    int width() const { return m_width; }
    int height() const { return m_height; }
    std::span<const std::uint32_t> row(int y) const;
    const std::uint8_t* data() const { return m_data; }
    int stride() const { return m_stride; }
    // Whether every pixel's alpha is 255, so the colours need no un-premultiplying.
    bool isOpaque() const;

private:
    const std::uint8_t* m_data { nullptr };
    int m_width { 0 };
    int m_height { 0 };
    int m_stride { 0 };
};

// Straight (not premultiplied) 8-bit channels of one pixel, as files store them.
struct StraightColour {
    std::uint8_t r;
    std::uint8_t g;
    std::uint8_t b;
    std::uint8_t a;
};
StraightColour straightColour(std::uint32_t premultipliedArgb);

// A row as packed RGB (3 bytes a pixel, alpha dropped) or RGBA (4, un-premultiplied).
void packRgb(std::span<const std::uint32_t> row, std::uint8_t* out);
void packRgba(std::span<const std::uint32_t> row, std::uint8_t* out);

}
