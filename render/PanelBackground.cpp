#include "render/PanelBackground.h"

#include "render/ImageSurface.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace orvessa {

// Each row's grain repeats every this many pixels. Random at every pixel, it left deflate nothing to
// match and made the panel's PNG two and a half times the size; at two levels either way, a period
// this long does not show.
constexpr std::size_t kGrainPeriod = 128;

// A dark slate that deepens downwards with a fine grain and faint horizontal threads, so large flat
// areas do not band. Fixed, so every frame and every run look the same.
void PanelBackground::paint(cairo_surface_t* surface, float scale)
{
    int width = cairo_image_surface_get_width(surface);
    int height = cairo_image_surface_get_height(surface);
    ContextPointer painter(cairo_create(surface));
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, 0, std::max(height, 1));
    cairo_pattern_add_color_stop_rgb(gradient, 0, 0.165, 0.176, 0.196);
    cairo_pattern_add_color_stop_rgb(gradient, 0.35, 0.118, 0.125, 0.141);
    cairo_pattern_add_color_stop_rgb(gradient, 1, 0.071, 0.075, 0.086);
    cairo_set_source(painter.get(), gradient);
    cairo_paint(painter.get());
    cairo_pattern_destroy(gradient);
    painter.reset();

    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    // Every channel plus a grain of -2 to 2, clamped: looked up, as this runs for every pixel of a
    // frame before the first one can be drawn.
    std::array<std::array<std::uint8_t, 256>, 5> grained {};
    for (std::size_t row = 0; row < grained.size(); ++row) {
        int grain = int(row) - 2;
        for (std::size_t channel = 0; channel < grained[row].size(); ++channel)
            grained[row][channel] = std::uint8_t(std::clamp(int(channel) + grain, 0, 255));
    }
    // The gradient is vertical, so a row is mostly one colour: its five grained forms are worked out
    // when the colour changes and the loop only picks one per pixel.
    std::array<std::uint32_t, grained.size()> grainedWords {};
    std::uint32_t wordsFor = 0;
    bool haveWords = false;
    // Which grained form each of the eight top-bit values of the seed picks, off a thread and on one.
    std::array<std::array<std::uint8_t, 8>, 2> picks {};
    for (std::size_t onThread = 0; onThread < picks.size(); ++onThread) {
        for (std::size_t top = 0; top < picks[onThread].size(); ++top) {
            int grain = (int(top) - 4 + (onThread != 0 ? 2 : 0)) / 2; // At most two levels either way.
            picks[onThread][top] = std::uint8_t(grain + 2);
        }
    }
    std::uint32_t seed = 0x9e3779b9u;
    std::array<std::uint8_t, kGrainPeriod> rowGrain {};
    for (int y = 0; y < height; ++y) {
        const auto& pick = picks[(y / std::max(1, int(scale))) % 3 == 0 ? 1 : 0];
        for (auto& grain : rowGrain) {
            seed = seed * 1664525u + 1013904223u;
            grain = pick[seed >> 29];
        }
        unsigned char* pixel = data + std::ptrdiff_t(y) * stride;
        for (int x = 0; x < width; ++x, pixel += 4) {
            // The words are native-endian ARGB; alpha is whichever byte holds bits 24 to 31.
            std::uint32_t word;
            std::memcpy(&word, pixel, sizeof word);
            if (!haveWords || word != wordsFor) {
                for (std::size_t row = 0; row < grained.size(); ++row) {
                    const auto& add = grained[row];
                    grainedWords[row] = 0xff000000u | std::uint32_t(add[(word >> 16) & 0xff]) << 16 | std::uint32_t(add[(word >> 8) & 0xff]) << 8 | add[word & 0xff];
                }
                wordsFor = word;
                haveWords = true;
            }
            std::memcpy(pixel, &grainedWords[rowGrain[std::size_t(x) % kGrainPeriod]], sizeof(std::uint32_t));
        }
    }
    cairo_surface_mark_dirty(surface);
}

namespace {

SurfacePointer makeBackground(int width, int height, float scale)
{
    SurfacePointer surface(createImageSurface(CAIRO_FORMAT_ARGB32, width, height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    PanelBackground::paint(surface.get(), scale);
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
