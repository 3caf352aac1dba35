#include "tools/pictures/Jpeg.h"

#include "tools/pictures/Exif.h"
#include "tools/pictures/JpegSegments.h"

#include <memory>
#include <stdexcept>
#include <string>

namespace pictures {

namespace {

struct CompressorDeleter {
    void operator()(void* handle) const { tjDestroy(handle); }
};
struct BufferDeleter {
    void operator()(unsigned char* buffer) const { tjFree(buffer); }
};

int turboFormat(PixelFormat format)
{
    if (format == PixelFormat::Rgb)
        return TJPF_RGB;
    if (format == PixelFormat::Rgba)
        return TJPF_RGBA;
    return TJPF_CMYK;
}

}

Bytes encodeJpeg(const Pixels& pixels, const JpegOptions& options)
{
    checkPixels(pixels);
    if (options.exifOrientation < 0 || options.exifOrientation > 8)
        throw std::invalid_argument("an EXIF orientation is 1 to 8, or 0 for none");
    std::unique_ptr<void, CompressorDeleter> compressor { tjInitCompress() };
    if (!compressor)
        throw std::runtime_error(std::string("TurboJPEG: ") + tjGetErrorStr2(nullptr));
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    const int flags = options.progressive ? TJFLAG_PROGRESSIVE : 0;
    const int status = tjCompress2(compressor.get(), pixels.bytes.data(), pixels.width, 0, pixels.height, turboFormat(pixels.format), &buffer,
        &size, options.subsampling, options.quality, flags);
    const std::unique_ptr<unsigned char, BufferDeleter> owned { buffer };
    if (status != 0)
        throw std::runtime_error(std::string("JPEG encoding failed: ") + tjGetErrorStr2(compressor.get()));
    Bytes jpeg(buffer, buffer + size);
    if (options.exifOrientation == 0)
        return jpeg;
    return withSegment(jpeg, kApp1, orientationExif(options.exifOrientation));
}

}
