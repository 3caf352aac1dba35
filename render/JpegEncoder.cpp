#include "render/JpegEncoder.h"

#include "render/FramePixels.h"

#include <turbojpeg.h>

#include <bit>
#include <memory>
#include <stdexcept>
#include <string>

namespace orvessa {

namespace {

struct HandleDeleter {
    void operator()(void* handle) const { tjDestroy(handle); }
};

struct BufferDeleter {
    void operator()(unsigned char* buffer) const { tjFree(buffer); }
};

// cairo's ARGB32 words as bytes in memory.
constexpr int kCairoPixelFormat = std::endian::native == std::endian::little ? TJPF_BGRA : TJPF_ARGB;

}

std::vector<std::uint8_t> encodeJpeg(const Frame& frame, int quality)
{
    if (quality < 1 || quality > 100)
        throw std::invalid_argument("JPEG quality " + std::to_string(quality) + " is not from 1 to 100");
    FramePixels pixels(frame);
    std::unique_ptr<void, HandleDeleter> handle(tjInitCompress());
    if (!handle)
        throw std::runtime_error(std::string("cannot encode a JPEG: ") + tjGetErrorStr2(nullptr));
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    int subsampling = quality >= 90 ? TJSAMP_444 : TJSAMP_420;
    // Premultiplied colours are the pixels drawn over black, which is what dropping alpha shows.
    int status = tjCompress2(handle.get(), pixels.data(), pixels.width(), pixels.stride(), pixels.height(), kCairoPixelFormat, &buffer, &size, subsampling, quality, 0);
    std::unique_ptr<unsigned char, BufferDeleter> owned(buffer);
    if (status != 0)
        throw std::runtime_error(std::string("cannot encode a JPEG: ") + tjGetErrorStr2(handle.get()));
    return std::vector<std::uint8_t>(buffer, buffer + size);
}

}
