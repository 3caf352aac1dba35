#include "tools/assets/RowBackground.h"

#include "tools/assets/Canvas.h"
#include "tools/assets/Encoding.h"
#include "tools/assets/Paint.h"

#include <cstring>

namespace assets {

namespace {

// The platform's row background: a dark translucent panel with a lit top edge. It is stretched by
// its middle column and row, so every row between the corners must be the same and the left and
// right halves must mirror each other.

// Antialiased arcs are not sampled quite alike on both sides, so the right half is made an exact
// mirror of the left.
void mirrorLeftHalf(Canvas& canvas)
{
    cairo_surface_flush(canvas.surface.get());
    unsigned char* data = cairo_image_surface_get_data(canvas.surface.get());
    const int stride = cairo_image_surface_get_stride(canvas.surface.get());
    for (int y = 0; y < canvas.height; ++y) {
        unsigned char* row = data + static_cast<std::ptrdiff_t>(y) * stride;
        for (int x = 0; x < canvas.width / 2; ++x)
            std::memcpy(row + 4 * static_cast<std::ptrdiff_t>(canvas.width - 1 - x), row + 4 * static_cast<std::ptrdiff_t>(x), 4);
    }
    cairo_surface_mark_dirty(canvas.surface.get());
}

constexpr double rowBackgroundWidth = 40;
constexpr double rowBackgroundHeight = 30;

Bytes drawRowBackground(int scale)
{
    Canvas canvas = makeScaledCanvas(static_cast<int>(rowBackgroundWidth), static_cast<int>(rowBackgroundHeight), scale, false);
    cairo_t* cr = canvas.cr.get();
    const double radius = 6;
    const double w = rowBackgroundWidth;
    const double h = rowBackgroundHeight;

    addRoundedRect(cr, 0, 0, w, h, radius);
    cairo_set_source_rgba(cr, 20 / 255.0, 21 / 255.0, 24 / 255.0, 0.74);
    cairo_fill_preserve(cr);
    cairo_clip(cr);

    // A faint rim all round; the stroke straddles the clip, so half a point shows inside.
    addRoundedRect(cr, 0, 0, w, h, radius);
    cairo_set_line_width(cr, 2);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.07);
    cairo_stroke(cr);

    // The lit top edge fades out before the corners end, so the stretched middle rows stay plain.
    addRoundedRect(cr, 0.5, 0.5, w - 1, h - 1, radius - 0.5);
    Pattern light { cairo_pattern_create_linear(0, 0, 0, radius) };
    addStops(light.get(), { { 0, { 1, 1, 1 }, 0.26 }, { 1, { 1, 1, 1 }, 0 } });
    cairo_set_source(cr, light.get());
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    mirrorLeftHalf(canvas);
    return encodePng(canvas);
}

}

void writeRowBackgrounds(AssetWriter& out)
{
    const std::filesystem::path bundle = "StocksWeeApp.bundle";
    for (int scale : { 1, 2, 3 })
        out.make(bundle / scaledName("WeeAppBackground", scale), [scale] { return drawRowBackground(scale); });
}

}
