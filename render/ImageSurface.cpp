#include "render/ImageSurface.h"

#include "platform/PixelMemory.h"

#include <memory>

namespace orvessa {

namespace {

// Identifies the surface's pixel memory among its user data; only its address matters.
const cairo_user_data_key_t kPixelMemoryKey {};

void releasePixelMemory(void* memory)
{
    delete static_cast<PixelMemory*>(memory);
}

}

cairo_surface_t* createImageSurface(cairo_format_t format, int width, int height)
{
    int stride = cairo_format_stride_for_width(format, width);
    if (stride <= 0 || width <= 0 || height <= 0)
        return cairo_image_surface_create(format, width, height);
    auto memory = std::make_unique<PixelMemory>(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
    cairo_surface_t* surface = cairo_image_surface_create_for_data(memory->data(), format, width, height, stride);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS)
        return surface;
    PixelMemory* pixels = memory.release();
    if (cairo_surface_set_user_data(surface, &kPixelMemoryKey, pixels, releasePixelMemory) != CAIRO_STATUS_SUCCESS) {
        // Only when cairo has no memory for the note; the surface's own memory then goes as usual.
        cairo_surface_destroy(surface);
        delete pixels;
        return cairo_image_surface_create(format, width, height);
    }
    return surface;
}

}
