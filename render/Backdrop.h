#pragma once

#include "render/CairoPointers.h"
#include "render/ViewRecord.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvessa {

// The pixels of a frame under its first changing view, and the records of the settled views drawn
// into them: while the next frame's settled views have the same records, it starts from a copy.
class Backdrop {
public:
    // Whether the kept pixels are the first `settled` of these views drawn at this size and scale.
    bool holds(const std::vector<ViewRecord>& views, std::size_t settled, int width, int height, float scale) const;
    // Copies the kept pixels over a frame of their size.
    void copyInto(cairo_surface_t* frame) const;
    // The frame that drew the kept pixels; the pictures it drew are kept with them.
    std::uint64_t frameNumber() const { return m_frameNumber; }

    // Forgets what is kept and starts keeping the first `settled` views of the frame about to be
    // drawn: returns the surface their pixels are to be copied into once drawn, or null when there is
    // nothing to keep or cairo cannot make a surface.
    cairo_surface_t* keep(const std::vector<ViewRecord>& views, std::size_t settled, int width, int height, float scale, std::uint64_t frameNumber);

private:
    bool hasSize(int width, int height) const;

    SurfacePointer m_pixels;
    std::vector<ViewRecord> m_views;
    float m_scale { 0 };
    std::uint64_t m_frameNumber { 0 };
};

// Copies one ARGB32 surface into another of the same size.
void copyPixels(cairo_surface_t* from, cairo_surface_t* to);

}
