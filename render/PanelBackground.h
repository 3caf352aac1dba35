#pragma once

#include "render/CairoPointers.h"

namespace orvessa {

// The panel's own background, beneath every view: a dark slate that deepens downwards with a fine
// grain and threads a point apart. Made once for the last frame size and scale asked for.
class PanelBackground {
public:
    // The background of a frame `width` x `height` pixels at `scale` pixels per point; null when
    // cairo cannot make one.
    cairo_surface_t* pixels(int width, int height, float scale);

    // Paints the same background over the whole of `target`, an ARGB32 image surface, without
    // keeping it: what a renderer that draws a single frame wants.
    static void paint(cairo_surface_t* target, float scale);

private:
    SurfacePointer m_pixels;
    float m_scale { 0 }; // The threads' spacing depends on it, so equal pixel sizes are not enough.
};

}
