#pragma once

#include "render/CairoPointers.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>

class UIImage;

namespace orvessa {

// The images drawn lately, each resampled to the size it was drawn at, so a frame only copies pixels.
class PictureCache {
public:
    // An image drawn at `width` x `height` pixels, `scale` pixels per point (a stretchable image's caps
    // depend on it); of that, the pixels in the crop rectangle are kept.
    struct Key {
        std::weak_ptr<const UIImage> image;
        int width { 0 };
        int height { 0 };
        float scale { 1 };
        int cropX { 0 };
        int cropY { 0 };
        int cropWidth { 0 };
        int cropHeight { 0 };
    };

    // The image's pixels for `key`, made on first use; null when the image cannot be decoded.
    cairo_surface_t* picture(const UIImage&, const Key&, std::uint64_t frameNumber);
    // Forgets pictures of images that are gone or that no frame since `oldestKept` drew.
    void prune(std::uint64_t oldestKept);
    std::size_t size() const { return m_pictures.size(); }

private:
    struct KeyLess {
        bool operator()(const Key&, const Key&) const;
    };
    struct Picture {
        SurfacePointer surface; // Null for an image that cannot be decoded: nothing to draw, nothing to retry.
        std::uint64_t lastDrawn { 0 };
    };
    std::map<Key, Picture, KeyLess> m_pictures;
};

}
