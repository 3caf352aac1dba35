#pragma once

#include "render/Frame.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ostream>

namespace render_checks {

// A pixel with straight (not premultiplied) 8-bit channels.
struct Colour {
    int r { 0 };
    int g { 0 };
    int b { 0 };
    int a { 255 };
};

inline std::ostream& operator<<(std::ostream& out, const Colour& c)
{
    return out << "rgba(" << c.r << ", " << c.g << ", " << c.b << ", " << c.a << ")";
}

inline Colour fromWord(std::uint32_t word)
{
    int a = int(word >> 24);
    auto straight = [a](std::uint32_t channel) { return a == 0 ? 0 : std::min(255, int(std::lround(double(channel & 0xff) * 255.0 / a))); };
    return { straight(word >> 16), straight(word >> 8), straight(word), a };
}

// The pixel of a frame at a point given in window points.
inline Colour colourAt(const orvessa::Frame& frame, double x, double y, float scale)
{
    return fromWord(frame.pixel(int(std::floor(x * scale)), int(std::floor(y * scale))));
}

inline Colour pixelAt(const orvessa::Frame& frame, int x, int y)
{
    return fromWord(frame.pixel(x, y));
}

// The largest difference of any colour channel.
inline int difference(const Colour& a, const Colour& b)
{
    return std::max({ std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b) });
}

// `top` at `alpha` over an opaque `bottom`.
inline Colour over(const Colour& top, double alpha, const Colour& bottom)
{
    auto mix = [alpha](int t, int u) { return int(std::lround(t * alpha + u * (1 - alpha))); };
    return { mix(top.r, bottom.r), mix(top.g, bottom.g), mix(top.b, bottom.b), 255 };
}

inline double luminance(const Colour& c)
{
    return 0.2126 * c.r + 0.7152 * c.g + 0.0722 * c.b;
}

}
