#include "render/PanelBackground.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace orvessa {

namespace {

// A dark slate that deepens downwards with a fine grain and faint horizontal threads, so large flat
// areas do not band. Fixed, so every frame and every run look the same.
SurfacePointer makeBackground(int width, int height, float scale)
{
    SurfacePointer surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    ContextPointer painter(cairo_create(surface.get()));
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, 0, std::max(height, 1));
    cairo_pattern_add_color_stop_rgb(gradient, 0, 0.165, 0.176, 0.196);
    cairo_pattern_add_color_stop_rgb(gradient, 0.35, 0.118, 0.125, 0.141);
    cairo_pattern_add_color_stop_rgb(gradient, 1, 0.071, 0.075, 0.086);
    cairo_set_source(painter.get(), gradient);
    cairo_paint(painter.get());
    cairo_pattern_destroy(gradient);
    painter.reset();

    cairo_surface_flush(surface.get());
    unsigned char* data = cairo_image_surface_get_data(surface.get());
    int stride = cairo_image_surface_get_stride(surface.get());
    // Every channel plus a grain of -2 to 2, clamped: looked up, as this runs for every pixel of a
    // frame before the first one can be drawn.
    std::array<std::array<std::uint8_t, 256>, 5> grained {};
    for (std::size_t row = 0; row < grained.size(); ++row) {
        int grain = int(row) - 2;
        for (std::size_t channel = 0; channel < grained[row].size(); ++channel)
            grained[row][channel] = std::uint8_t(std::clamp(int(channel) + grain, 0, 255));
    }
    std::uint32_t seed = 0x9e3779b9u;
    for (int y = 0; y < height; ++y) {
        int thread = (y / std::max(1, int(scale))) % 3 == 0 ? 2 : 0;
        unsigned char* pixel = data + std::ptrdiff_t(y) * stride;
        for (int x = 0; x < width; ++x, pixel += 4) {
            seed = seed * 1664525u + 1013904223u;
            int grain = (int(seed >> 29) - 4 + thread) / 2; // At most two levels either way.
            int row = grain + 2;
            const auto& add = grained[std::size_t(row)];
            // The words are native-endian ARGB; alpha is whichever byte holds bits 24 to 31.
            std::uint32_t word;
            std::memcpy(&word, pixel, sizeof word);
            std::uint32_t out = 0xff000000u | std::uint32_t(add[(word >> 16) & 0xff]) << 16 | std::uint32_t(add[(word >> 8) & 0xff]) << 8 | add[word & 0xff];
            std::memcpy(pixel, &out, sizeof out);
        }
    }
    cairo_surface_mark_dirty(surface.get());
    return surface;
}

}

cairo_surface_t* PanelBackground::pixels(int width, int height, float scale)
{
    bool same = m_pixels && cairo_image_surface_get_width(m_pixels.get()) == width && cairo_image_surface_get_height(m_pixels.get()) == height
        && m_scale == scale;
    if (!same) {
        m_pixels = makeBackground(width, height, scale);
        m_scale = scale;
    }
    return m_pixels.get();
}

}
