#include "tools/assets/Encoding.h"

#include "tools/pictures/Jpeg.h"
#include "tools/pictures/Png.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

namespace assets {

namespace {

constexpr int jpegQuality = 88;

// Cairo keeps native-endian premultiplied ARGB words; the encoders want straight RGB(A) bytes.
pictures::Pixels packPixels(Canvas& canvas, bool keepAlpha)
{
    cairo_surface_flush(canvas.surface.get());
    if (auto status = cairo_status(canvas.cr.get()); status != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error(std::string("drawing failed: ") + cairo_status_to_string(status));
    const unsigned char* data = cairo_image_surface_get_data(canvas.surface.get());
    const int stride = cairo_image_surface_get_stride(canvas.surface.get());
    pictures::Pixels out { canvas.width, canvas.height, keepAlpha ? pictures::PixelFormat::Rgba : pictures::PixelFormat::Rgb, {} };
    out.bytes.reserve(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height) * static_cast<std::size_t>(pictures::channelCount(out.format)));
    for (int y = 0; y < canvas.height; ++y) {
        const unsigned char* row = data + static_cast<std::ptrdiff_t>(y) * stride;
        for (int x = 0; x < canvas.width; ++x) {
            std::uint32_t word = 0;
            std::memcpy(&word, row + 4 * static_cast<std::ptrdiff_t>(x), sizeof word);
            const std::uint32_t a = canvas.opaque ? 255 : word >> 24;
            std::array<std::uint32_t, 3> rgb { (word >> 16) & 0xff, (word >> 8) & 0xff, word & 0xff };
            for (std::uint32_t& channel : rgb) {
                if (a == 0)
                    channel = 0;
                else if (a < 255)
                    channel = std::min<std::uint32_t>(255, (channel * 255 + a / 2) / a);
                out.bytes.push_back(static_cast<unsigned char>(channel));
            }
            if (keepAlpha)
                out.bytes.push_back(static_cast<unsigned char>(a));
        }
    }
    return out;
}

}

Bytes encodePng(Canvas& canvas)
{
    return pictures::encodePng(packPixels(canvas, !canvas.opaque), { .srgb = true });
}

Bytes encodeJpeg(Canvas& canvas, int exifOrientation)
{
    return pictures::encodeJpeg(packPixels(canvas, false), { .quality = jpegQuality, .subsampling = TJSAMP_420, .exifOrientation = exifOrientation });
}

}
