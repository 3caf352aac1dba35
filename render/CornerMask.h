#pragma once

#include "platform/Geometry.h"

#include <cairo.h>

#include <array>
#include <cstddef>
#include <optional>

namespace orvessa {

// A rounded-corner mask whose rectangle lies on whole device pixels. Drawing through it is split into
// three bands clipped to plain rectangles, which cairo composites as fast as an unclipped copy, and
// four corner squares clipped to the curve. Clipping a whole picture to the curve instead would make
// every translucent paint of it go through a coverage mask, at twice the cost.
struct CornerMask {
    double x { 0 };
    double y { 0 };
    double width { 0 };
    double height { 0 };
    double radius { 0 }; // In device pixels.
};

// The mask for `bounds` rounded by `radius` points, where the rectangle lies on whole device pixels.
std::optional<CornerMask> cornerMask(cairo_t*, CGRect bounds, double radius);

// Clips to the whole rounded rectangle, curve and all.
void clipToMask(cairo_t*, const CornerMask&);

// One of the pieces drawing through a mask is split into, in device pixels.
struct MaskPiece {
    double x { 0 };
    double y { 0 };
    double width { 0 };
    double height { 0 };
    bool curved { false };
};

struct MaskPieces {
    std::array<MaskPiece, 7> pieces;
    std::size_t count { 0 }; // 0 when corner squares would overlap: the mask is then clipped whole.
};

MaskPieces maskPieces(const CornerMask&);
void clipToPiece(cairo_t*, const CornerMask&, const MaskPiece&);

// Draws through the mask, or plainly without one. `draw` runs up to seven times, once per piece.
template<typename Draw>
void drawMasked(cairo_t* cr, const std::optional<CornerMask>& mask, Draw&& draw)
{
    if (!mask || mask->radius <= 0) {
        draw();
        return;
    }
    MaskPieces split = maskPieces(*mask);
    if (split.count == 0) {
        // Translucent drawing would show twice where corner squares overlap.
        cairo_save(cr);
        clipToMask(cr, *mask);
        draw();
        cairo_restore(cr);
        return;
    }
    for (std::size_t i = 0; i < split.count; ++i) {
        cairo_save(cr);
        clipToPiece(cr, *mask, split.pieces[i]);
        draw();
        cairo_restore(cr);
    }
}

}
