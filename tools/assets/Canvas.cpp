#include "tools/assets/Canvas.h"

#include <stdexcept>
#include <string>

namespace assets {

Canvas makeCanvas(int width, int height, bool opaque)
{
    Canvas canvas;
    canvas.surface.reset(cairo_image_surface_create(opaque ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32, width, height));
    // NOTE: cairo never returns null; a failed surface is an object in an error state.
    if (auto status = cairo_surface_status(canvas.surface.get()); status != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error(std::string("cairo surface: ") + cairo_status_to_string(status));
    canvas.cr.reset(cairo_create(canvas.surface.get()));
    if (auto status = cairo_status(canvas.cr.get()); status != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error(std::string("cairo context: ") + cairo_status_to_string(status));
    canvas.width = width;
    canvas.height = height;
    canvas.opaque = opaque;
    return canvas;
}

Canvas makeScaledCanvas(int widthPoints, int heightPoints, int scale, bool opaque)
{
    Canvas canvas = makeCanvas(widthPoints * scale, heightPoints * scale, opaque);
    cairo_scale(canvas.cr.get(), scale, scale);
    return canvas;
}

}
