#pragma once

#include <cairo.h>

#include <memory>

namespace orvessa {

// cairo objects owned by the scope that made them.

struct SurfaceDeleter {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using SurfacePointer = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

struct ContextDeleter {
    void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};
using ContextPointer = std::unique_ptr<cairo_t, ContextDeleter>;

}
