#include "render/Backdrop.h"

#include "render/ImageSurface.h"

#include <algorithm>
#include <cstring>

namespace orvessa {

bool Backdrop::hasSize(int width, int height) const
{
    return m_pixels && cairo_image_surface_get_width(m_pixels.get()) == width && cairo_image_surface_get_height(m_pixels.get()) == height;
}

bool Backdrop::holds(const std::vector<ViewRecord>& views, std::size_t settled, int width, int height, float scale) const
{
    return settled > 0 && settled <= views.size() && hasSize(width, height) && m_scale == scale
        && std::equal(views.begin(), views.begin() + std::ptrdiff_t(settled), m_views.begin(), m_views.end());
}

void Backdrop::copyInto(cairo_surface_t* frame) const
{
    copyPixels(m_pixels.get(), frame);
}

cairo_surface_t* Backdrop::keep(const std::vector<ViewRecord>& views, std::size_t settled, int width, int height, float scale, std::uint64_t frameNumber)
{
    m_views.clear();
    if (settled == 0 || settled > views.size())
        return nullptr;
    if (!hasSize(width, height))
        m_pixels.reset(createImageSurface(CAIRO_FORMAT_ARGB32, width, height));
    if (cairo_surface_status(m_pixels.get()) != CAIRO_STATUS_SUCCESS) {
        m_pixels.reset();
        return nullptr;
    }
    m_views.assign(views.begin(), views.begin() + std::ptrdiff_t(settled));
    m_scale = scale;
    m_frameNumber = frameNumber;
    return m_pixels.get();
}

void copyPixels(cairo_surface_t* from, cairo_surface_t* to)
{
    cairo_surface_flush(from);
    cairo_surface_flush(to);
    std::memcpy(cairo_image_surface_get_data(to), cairo_image_surface_get_data(from),
        std::size_t(cairo_image_surface_get_stride(from)) * std::size_t(cairo_image_surface_get_height(from)));
    cairo_surface_mark_dirty(to);
}

}
