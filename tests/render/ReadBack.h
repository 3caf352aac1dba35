#pragma once

// Reads written pictures back with the libraries that everyone else will read them with: libpng,
// TurboJPEG and libwebp's animation decoder. Each gives straight RGBA, row by row.

#include <png.h>
#include <turbojpeg.h>
#include <webp/demux.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace read_back {

struct Picture {
    int width { 0 };
    int height { 0 };
    std::vector<std::uint8_t> rgba;

    const std::uint8_t* at(int x, int y) const { return &rgba[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4]; }
};

inline std::optional<Picture> png(const std::vector<std::uint8_t>& bytes)
{
    png_image image {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        return std::nullopt;
    image.format = PNG_FORMAT_RGBA;
    Picture picture { int(image.width), int(image.height), std::vector<std::uint8_t>(PNG_IMAGE_SIZE(image)) };
    if (!png_image_finish_read(&image, nullptr, picture.rgba.data(), 0, nullptr)) {
        png_image_free(&image);
        return std::nullopt;
    }
    return picture;
}

// The colour type byte of a PNG's header: 2 for RGB, 6 for RGBA.
inline int pngColourType(const std::vector<std::uint8_t>& bytes)
{
    return bytes.size() > 25 ? bytes[25] : -1;
}

inline std::optional<Picture> jpeg(const std::vector<std::uint8_t>& bytes)
{
    tjhandle handle = tjInitDecompress();
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    std::optional<Picture> result;
    if (tjDecompressHeader3(handle, bytes.data(), static_cast<unsigned long>(bytes.size()), &width, &height, &subsampling, &colourspace) == 0) {
        Picture picture { width, height, std::vector<std::uint8_t>(std::size_t(width) * std::size_t(height) * 4) };
        if (tjDecompress2(handle, bytes.data(), static_cast<unsigned long>(bytes.size()), picture.rgba.data(), width, 0, height, TJPF_RGBA, 0) == 0)
            result = std::move(picture);
    }
    tjDestroy(handle);
    return result;
}

struct Animation {
    int width { 0 };
    int height { 0 };
    int loopCount { -1 };
    std::vector<Picture> frames; // The whole canvas after each frame.
    std::vector<int> endsMs; // When each frame ends: the timestamp WebPAnimDecoder gives.
};

inline std::optional<Animation> webp(const std::vector<std::uint8_t>& bytes)
{
    WebPData data { bytes.data(), bytes.size() };
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options))
        return std::nullopt;
    options.color_mode = MODE_RGBA;
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, &options);
    if (!decoder)
        return std::nullopt;
    WebPAnimInfo info;
    std::optional<Animation> result;
    if (WebPAnimDecoderGetInfo(decoder, &info)) {
        Animation animation { int(info.canvas_width), int(info.canvas_height), int(info.loop_count), {}, {} };
        bool whole = true;
        while (WebPAnimDecoderHasMoreFrames(decoder)) {
            std::uint8_t* pixels = nullptr;
            int timestamp = 0;
            if (!WebPAnimDecoderGetNext(decoder, &pixels, &timestamp)) {
                whole = false;
                break;
            }
            std::size_t size = std::size_t(animation.width) * std::size_t(animation.height) * 4;
            animation.frames.push_back({ animation.width, animation.height, std::vector<std::uint8_t>(pixels, pixels + size) });
            animation.endsMs.push_back(timestamp);
        }
        if (whole && animation.frames.size() == info.frame_count)
            result = std::move(animation);
    }
    WebPAnimDecoderDelete(decoder);
    return result;
}

}
