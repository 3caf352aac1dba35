#include "render/PictureCache.h"

#include "platform/Image.h"
#include "render/ImageResampling.h"
#include "render/ImageSurface.h"

#include <cstring>
#include <tuple>

namespace orvessa {

namespace {

bool isOpaque(const DecodedImage& pixels)
{
    for (int y = 0; y < pixels.height; ++y) {
        const std::uint8_t* row = pixels.pixels.data() + std::size_t(y) * std::size_t(pixels.stride);
        for (int x = 0; x < pixels.width; ++x) {
            std::uint32_t word;
            std::memcpy(&word, row + std::size_t(x) * 4, sizeof word);
            if ((word >> 24) != 0xff)
                return false;
        }
    }
    return true;
}

bool isWellFormed(const DecodedImage& pixels)
{
    if (pixels.width <= 0 || pixels.height <= 0 || pixels.stride % 4 != 0)
        return false;
    if (pixels.stride < cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, pixels.width))
        return false;
    return pixels.pixels.size() >= std::size_t(pixels.stride) * std::size_t(pixels.height);
}

}

bool PictureCache::KeyLess::operator()(const Key& a, const Key& b) const
{
    if (a.image.owner_before(b.image))
        return true;
    if (b.image.owner_before(a.image))
        return false;
    return std::tie(a.width, a.height, a.scale, a.cropX, a.cropY, a.cropWidth, a.cropHeight)
        < std::tie(b.width, b.height, b.scale, b.cropX, b.cropY, b.cropWidth, b.cropHeight);
}

cairo_surface_t* PictureCache::picture(const UIImage& image, const Key& key, std::uint64_t frameNumber)
{
    if (auto found = m_pictures.find(key); found != m_pictures.end()) {
        found->second.lastDrawn = frameNumber;
        return found->second.surface.get();
    }

    Picture made;
    made.lastDrawn = frameNumber;
    const DecodedImage* pixels = image.decodedPixels(key.width, key.height);
    if (pixels && isWellFormed(*pixels)) {
        // Read only, and gone before this function returns.
        SurfacePointer source(cairo_image_surface_create_for_data(const_cast<unsigned char*>(pixels->pixels.data()),
            CAIRO_FORMAT_ARGB32, pixels->width, pixels->height, pixels->stride));
        // Opaque pictures are kept without alpha, so drawing them at full opacity is a plain copy.
        cairo_format_t format = isOpaque(*pixels) ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32;
        SurfacePointer target(createImageSurface(format, key.cropWidth, key.cropHeight));
        ContextPointer painter(cairo_create(target.get()));
        cairo_t* cr = painter.get();
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        if (image.leftCapWidth() > 0 || image.topCapHeight() > 0) {
            cairo_translate(cr, -key.cropX, -key.cropY);
            paintNineSlices(cr, source.get(), *pixels, image, key.width, key.height, key.scale);
        } else {
            paintStretched(cr, source.get(), pixels->width, pixels->height, { -key.cropX, -key.cropY, key.width, key.height });
        }
        bool drawn = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
        painter.reset();
        cairo_surface_finish(source.get());
        if (drawn && cairo_surface_status(target.get()) == CAIRO_STATUS_SUCCESS) {
            cairo_surface_flush(target.get());
            made.surface = std::move(target);
        }
    }
    return m_pictures.emplace(key, std::move(made)).first->second.surface.get();
}

void PictureCache::prune(std::uint64_t oldestKept)
{
    std::erase_if(m_pictures, [oldestKept](const auto& entry) {
        return entry.first.image.expired() || entry.second.lastDrawn < oldestKept;
    });
}

}
