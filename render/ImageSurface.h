#pragma once

#include <cairo.h>

namespace orvessa {

// A new image surface, zeroed as cairo's own are, whose pixels live in PixelMemory and go with the
// surface: frames and drawn pictures are written once right after they are made, and in whole huge
// pages that first write costs a few faults instead of hundreds. The caller owns the surface; on
// failure it is cairo's error surface, as cairo_image_surface_create returns.
cairo_surface_t* createImageSurface(cairo_format_t, int width, int height);

}
