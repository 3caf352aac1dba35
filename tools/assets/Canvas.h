#pragma once

// The cairo surfaces the tool draws on, each owned with the context that draws on it.

#include <cairo.h>

#include <memory>

namespace assets {

struct SurfaceDeleter {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextDeleter {
    void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using Context = std::unique_ptr<cairo_t, ContextDeleter>;

struct Canvas {
    Surface surface;
    Context cr;
    int width { 0 };
    int height { 0 };
    bool opaque { true };
};

// An image surface (RGB24 when opaque, ARGB32 otherwise) and a context on it; throws if cairo
// cannot make them.
Canvas makeCanvas(int width, int height, bool opaque);
// A canvas of width x height points at a scale of 1, 2 or 3 pixels per point, its context drawing
// in points.
Canvas makeScaledCanvas(int widthPoints, int heightPoints, int scale, bool opaque);

}
