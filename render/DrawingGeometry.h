#pragma once

#include "platform/Color.h"
#include "platform/Geometry.h"
#include "render/ImagePlacement.h"

#include <cairo.h>

namespace orvessa {

// Small shared pieces of drawing in points with cairo.

// Alpha as drawn: 0 to 1, and nothing for a value that is not a number.
float clampedAlpha(float);

// A rectangle path with its corners rounded by `radius`, clamped to half the shorter side; a plain
// rectangle when the radius is not above 0.
void roundedRectangle(cairo_t*, CGRect, double radius);

void setColour(cairo_t*, const UIColor&, double alpha);

// A rectangle in user space as whole device pixels, edges rounded to the nearest pixel boundary.
PixelRect devicePixels(cairo_t*, CGRect);

// What the context's transformation holds, as drawnImagePixels reads a placement.
DevicePlacement devicePlacement(cairo_t*);

}
