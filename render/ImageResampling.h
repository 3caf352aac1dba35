#pragma once

#include "platform/ImageDecoder.h"
#include "render/DrawingGeometry.h"

#include <cairo.h>

class UIImage;

namespace orvessa {

// Decoded pictures brought to the size they are drawn at.

// Paints `source` (a whole surface) into the device rectangle `to`, stretched, with edge pixels
// repeated rather than faded, so neighbouring slices meet without seams.
void paintStretched(cairo_t*, cairo_surface_t* source, int sourceWidth, int sourceHeight, PixelRect to);

// The image's pixels spread over a `width` x `height` picture in nine slices: corners kept at their
// size in points, edges stretched along themselves, the single middle column and row filling the rest.
void paintNineSlices(cairo_t*, cairo_surface_t* source, const DecodedImage& pixels, const UIImage& image, int width, int height, float scale);

}
