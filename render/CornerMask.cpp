#include "render/CornerMask.h"

#include "render/DrawingGeometry.h"

#include <algorithm>
#include <cmath>

namespace orvessa {

namespace {

bool isWholePixel(double v)
{
    return std::abs(v - std::round(v)) < 1e-3;
}

// Runs `clip` with device coordinates for the path, then returns to the user space it was in.
template<typename ClipInDevice>
void clipInDevice(cairo_t* cr, ClipInDevice&& clip)
{
    cairo_matrix_t matrix;
    cairo_get_matrix(cr, &matrix);
    cairo_identity_matrix(cr);
    clip();
    cairo_set_matrix(cr, &matrix);
}

// The corner squares' side: the radius in whole pixels.
double cornerSide(const CornerMask& mask)
{
    return std::ceil(mask.radius - 1e-6);
}

}

std::optional<CornerMask> cornerMask(cairo_t* cr, CGRect bounds, double radius)
{
    double x0 = bounds.minX(), y0 = bounds.minY(), x1 = bounds.maxX(), y1 = bounds.maxY();
    cairo_user_to_device(cr, &x0, &y0);
    cairo_user_to_device(cr, &x1, &y1);
    if (!isWholePixel(x0) || !isWholePixel(y0) || !isWholePixel(x1) || !isWholePixel(y1) || x1 <= x0 || y1 <= y0)
        return std::nullopt;
    double dx = 1, dy = 0;
    cairo_user_to_device_distance(cr, &dx, &dy);
    CornerMask mask { std::round(x0), std::round(y0), std::round(x1 - x0), std::round(y1 - y0), 0 };
    mask.radius = std::min({ radius * std::hypot(dx, dy), mask.width / 2, mask.height / 2 });
    return mask;
}

void clipToMask(cairo_t* cr, const CornerMask& mask)
{
    clipInDevice(cr, [&] {
        roundedRectangle(cr, CGRectMake(float(mask.x), float(mask.y), float(mask.width), float(mask.height)), mask.radius);
        cairo_clip(cr);
    });
}

MaskPieces maskPieces(const CornerMask& m)
{
    MaskPieces split;
    double r = cornerSide(m);
    if (2 * r > m.width || 2 * r > m.height)
        return split;
    const MaskPiece all[] = {
        { m.x, m.y + r, m.width, m.height - 2 * r, false },
        { m.x + r, m.y, m.width - 2 * r, r, false },
        { m.x + r, m.y + m.height - r, m.width - 2 * r, r, false },
        { m.x, m.y, r, r, true },
        { m.x + m.width - r, m.y, r, r, true },
        { m.x, m.y + m.height - r, r, r, true },
        { m.x + m.width - r, m.y + m.height - r, r, r, true },
    };
    for (const MaskPiece& piece : all) {
        if (piece.width > 0 && piece.height > 0)
            split.pieces[split.count++] = piece;
    }
    return split;
}

void clipToPiece(cairo_t* cr, const CornerMask& m, const MaskPiece& piece)
{
    clipInDevice(cr, [&] {
        cairo_rectangle(cr, piece.x, piece.y, piece.width, piece.height);
        cairo_clip(cr);
    });
    if (!piece.curved)
        return;
    // A small rounded square with the same corner curve: its other corners fall outside the piece.
    double r = cornerSide(m);
    double left = piece.x == m.x ? m.x : m.x + m.width - 2 * r;
    double top = piece.y == m.y ? m.y : m.y + m.height - 2 * r;
    clipInDevice(cr, [&] {
        roundedRectangle(cr, CGRectMake(float(left), float(top), float(2 * r), float(2 * r)), m.radius);
        cairo_clip(cr);
    });
}

}
