#pragma once

#include "render/CairoPointers.h"
#include "render/ViewRecord.h"

#include <cstdint>
#include <vector>

namespace orvessa {

// The last frame's pixels under its first changing view, and the views drawn into them.
struct Backdrop {
    SurfacePointer pixels;
    std::vector<ViewRecord> views;
    float scale { 0 };
    std::uint64_t frameNumber { 0 }; // The frame that drew them; the pictures it drew are kept with them.
};

// Copies one ARGB32 surface into another of the same size.
void copyPixels(cairo_surface_t* from, cairo_surface_t* to);

}
