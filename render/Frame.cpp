#include "render/Frame.h"

#include "render/ImageSurface.h"

#include <cairo.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>

namespace orvessa {

Frame::Frame(int width, int height, FrameMemory memory)
    : Frame(adopt(memory == FrameMemory::HugePages ? createImageSurface(CAIRO_FORMAT_ARGB32, width, height)
                                                   : cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)))
{
}

Frame Frame::adopt(cairo_surface_t* surface)
{
    if (!surface)
        throw std::runtime_error("cannot make a picture: no surface");
    cairo_status_t status = cairo_surface_status(surface);
    if (status != CAIRO_STATUS_SUCCESS || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE
        || cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32) {
        cairo_surface_destroy(surface);
        throw std::runtime_error(std::string("cannot make a picture: ")
            + (status != CAIRO_STATUS_SUCCESS ? cairo_status_to_string(status) : "not an ARGB32 image surface"));
    }
    Frame frame;
    frame.m_surface = surface;
    frame.m_width = cairo_image_surface_get_width(surface);
    frame.m_height = cairo_image_surface_get_height(surface);
    return frame;
}

Frame::~Frame()
{
    reset();
}

Frame::Frame(Frame&& other) noexcept
    : m_surface(std::exchange(other.m_surface, nullptr))
    , m_width(std::exchange(other.m_width, 0))
    , m_height(std::exchange(other.m_height, 0))
{
}

Frame& Frame::operator=(Frame&& other) noexcept
{
    if (this != &other) {
        reset();
        m_surface = std::exchange(other.m_surface, nullptr);
        m_width = std::exchange(other.m_width, 0);
        m_height = std::exchange(other.m_height, 0);
    }
    return *this;
}

void Frame::reset()
{
    if (m_surface)
        cairo_surface_destroy(m_surface);
    m_surface = nullptr;
    m_width = 0;
    m_height = 0;
}

std::uint32_t Frame::pixel(int x, int y) const
{
    if (!m_surface || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0;
    // Drawing through cairo may leave work pending on the surface.
    cairo_surface_flush(m_surface);
    const unsigned char* row = cairo_image_surface_get_data(m_surface) + std::ptrdiff_t(y) * cairo_image_surface_get_stride(m_surface);
    std::uint32_t word;
    std::memcpy(&word, row + std::ptrdiff_t(x) * 4, sizeof word);
    return word;
}

}
