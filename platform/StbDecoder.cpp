// stb_image compiled here with GIF only, its functions static to this file, and every
// allocation it makes capped; the system's all-formats libstb is never linked.

#include "platform/ImageDecoders.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {

// One RGBA frame of the largest picture allowed, and a little for stb's own records.
constexpr std::size_t kMaxStbAllocation = static_cast<std::size_t>(kMaxWholeImagePixels) * 4 + 64 * 1024;

void* stbAllocate(std::size_t size) { return size <= kMaxStbAllocation ? std::malloc(size) : nullptr; }
void* stbReallocate(void* p, std::size_t size) { return size <= kMaxStbAllocation ? std::realloc(p, size) : nullptr; }

}

#define STBI_MALLOC(size) stbAllocate(size)
#define STBI_REALLOC(p, size) stbReallocate(p, size)
#define STBI_FREE(p) std::free(p)
#define STB_IMAGE_STATIC
#define STBI_ONLY_GIF
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_NO_FAILURE_STRINGS
#define STBI_MAX_DIMENSIONS 32768
#define STB_IMAGE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wold-style-cast"
#pragma GCC diagnostic ignored "-Wshadow"
#pragma GCC diagnostic ignored "-Wpedantic"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

namespace {

int readCallback(void* user, char* data, int size)
{
    if (size <= 0)
        return 0;
    auto* reader = static_cast<ImageFileReader*>(user);
    return static_cast<int>(reader->read(reinterpret_cast<std::uint8_t*>(data), static_cast<std::size_t>(size)));
}

void skipCallback(void* user, int n)
{
    if (n > 0)
        static_cast<ImageFileReader*>(user)->skip(static_cast<std::uint64_t>(n));
}

int eofCallback(void* user) { return static_cast<ImageFileReader*>(user)->atEnd() ? 1 : 0; }

struct StbPixelsFree {
    void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
};

}

bool stbImageInfo(std::span<const std::uint8_t> firstBytes, int& width, int& height)
{
    int components = 0;
    const int length = static_cast<int>(std::min<std::size_t>(firstBytes.size(), INT_MAX));
    return length > 0 && stbi_info_from_memory(firstBytes.data(), length, &width, &height, &components) != 0;
}

std::optional<DecodedImage> decodeGif(const ImageFile& file, int targetWidth, int targetHeight)
{
    // Read through callbacks, so an animated GIF is read only as far as its first frame.
    ImageFileReader reader(file);
    const stbi_io_callbacks callbacks { readCallback, skipCallback, eofCallback };
    int width = 0, height = 0, components = 0;
    std::unique_ptr<stbi_uc, StbPixelsFree> rgba(stbi_load_from_callbacks(&callbacks, &reader, &width, &height, &components, 4));
    if (!rgba)
        return std::nullopt;
    // The file may have changed since its header was read.
    if (width <= 0 || height <= 0 || static_cast<std::int64_t>(width) * height > kMaxWholeImagePixels)
        return std::nullopt;
    return imageFromRgba(rgba.get(), width, height, targetWidth, targetHeight);
}
