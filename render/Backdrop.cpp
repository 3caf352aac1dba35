#include "render/Backdrop.h"

#include <cstring>

namespace orvessa {

void copyPixels(cairo_surface_t* from, cairo_surface_t* to)
{
    cairo_surface_flush(from);
    cairo_surface_flush(to);
    std::memcpy(cairo_image_surface_get_data(to), cairo_image_surface_get_data(from),
        std::size_t(cairo_image_surface_get_stride(from)) * std::size_t(cairo_image_surface_get_height(from)));
    cairo_surface_mark_dirty(to);
}

}
