#include "render/AnimatedWebP.h"

#include <webp/encode.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

namespace orvessa {

namespace {

struct PictureFree {
    void operator()(WebPPicture* picture) const { WebPPictureFree(picture); }
};

struct MemoryWriterClear {
    void operator()(WebPMemoryWriter* writer) const { WebPMemoryWriterClear(writer); }
};

int checkedQuality(int quality)
{
    if (quality < 1 || quality > 100)
        throw std::invalid_argument("WebP quality " + std::to_string(quality) + " is not from 1 to 100");
    return quality;
}

int checkedMethod(int method)
{
    if (method < 0 || method > 6)
        throw std::invalid_argument("WebP method " + std::to_string(method) + " is not from 0 to 6");
    return method;
}

std::runtime_error encoderError(const std::string& reason)
{
    return std::runtime_error("cannot encode the animated WebP: " + reason);
}

// Rows [y, y + height) and columns [x, x + width) of the canvas; empty when width is 0.
struct Rectangle {
    int x { 0 };
    int y { 0 };
    int width { 0 };
    int height { 0 };
};

// The smallest rectangle that holds every pixel that differs from `last`, its corner moved up and
// left to even offsets, which is all the format can place a frame at.
Rectangle changedRectangle(const FramePixels& pixels, const std::vector<std::uint32_t>& last)
{
    int width = pixels.width();
    int left = width;
    int right = 0;
    int top = -1;
    int bottom = 0;
    for (int y = 0; y < pixels.height(); ++y) {
        std::span<const std::uint32_t> now = pixels.row(y);
        const std::uint32_t* before = last.data() + std::size_t(y) * std::size_t(width);
        if (std::memcmp(now.data(), before, std::size_t(width) * sizeof(std::uint32_t)) == 0)
            continue;
        int first = 0;
        while (now[std::size_t(first)] == before[first])
            ++first;
        int end = width;
        while (now[std::size_t(end - 1)] == before[end - 1])
            --end;
        left = std::min(left, first);
        right = std::max(right, end);
        if (top < 0)
            top = y;
        bottom = y + 1;
    }
    if (top < 0)
        return {};
    left &= ~1;
    top &= ~1;
    return { left, top, right - left, bottom - top };
}

// libwebp writes a whole still file: RIFF, then VP8X when there is alpha, then ALPH and VP8 (or VP8L
// alone). A frame of an animation holds the image chunks without the first two.
void takeImageChunks(const WebPMemoryWriter& writer, WebPFrameImage& image)
{
    constexpr std::size_t kRiffHeader = 12;
    std::span<const std::uint8_t> file(writer.mem, writer.size);
    if (file.size() < kRiffHeader)
        throw encoderError("libwebp wrote no file");
    std::size_t at = kRiffHeader;
    while (at < file.size()) {
        if (file.size() - at < 8)
            throw encoderError("libwebp wrote a cut chunk");
        std::uint32_t size = std::uint32_t(file[at + 4]) | std::uint32_t(file[at + 5]) << 8 | std::uint32_t(file[at + 6]) << 16 | std::uint32_t(file[at + 7]) << 24;
        std::size_t whole = 8 + std::size_t(size) + (size & 1);
        if (whole > file.size() - at)
            throw encoderError("libwebp wrote a cut chunk");
        auto chunk = file.subspan(at, whole);
        if (std::memcmp(chunk.data(), "ALPH", 4) == 0)
            image.hasAlpha = true;
        if (std::memcmp(chunk.data(), "VP8X", 4) != 0)
            image.chunks.insert(image.chunks.end(), chunk.begin(), chunk.end());
        at += whole;
    }
}

}

AnimatedWebP::AnimatedWebP(ByteOutput& output, int width, int height, int quality, int method)
    : m_width(width)
    , m_height(height)
    , m_quality(checkedQuality(quality))
    , m_method(checkedMethod(method))
    , m_container(output, width, height)
{
}

void AnimatedWebP::addFrame(const Frame& frame, long long timestampMs)
{
    if (m_finished)
        throw std::logic_error("the animated WebP is already finished");
    if (frame.width() != m_width || frame.height() != m_height)
        throw std::invalid_argument("a frame of " + std::to_string(frame.width()) + " x " + std::to_string(frame.height()) + " pixels in an animation of " + std::to_string(m_width) + " x " + std::to_string(m_height));
    if (timestampMs <= m_lastTimestamp)
        throw std::invalid_argument("frame timestamp " + std::to_string(timestampMs) + " ms does not follow " + std::to_string(m_lastTimestamp) + " ms");
    FramePixels pixels(frame);
    Rectangle changed { 0, 0, m_width, m_height };
    if (!m_lastPixels.empty())
        changed = changedRectangle(pixels, m_lastPixels);
    m_lastTimestamp = timestampMs;
    if (changed.width == 0)
        return;
    // Written before the next is encoded, so only one encoded frame is ever kept.
    if (m_held) {
        m_container.addFrame(m_held->image, timestampMs - m_held->startMs);
        m_held.reset();
    }
    m_held = HeldFrame { encode(pixels, changed.x, changed.y, changed.width, changed.height), timestampMs };
    keepPixels(pixels, changed.y, changed.height);
    ++m_frames;
}

void AnimatedWebP::finish(long long endMs)
{
    if (m_finished)
        throw std::logic_error("the animated WebP is already finished");
    if (!m_held)
        throw std::logic_error("an animated WebP needs at least one frame");
    if (endMs <= m_lastTimestamp)
        throw std::invalid_argument("the animation's end " + std::to_string(endMs) + " ms does not follow its last frame at " + std::to_string(m_lastTimestamp) + " ms");
    m_finished = true;
    m_container.addFrame(m_held->image, endMs - m_held->startMs);
    m_held.reset();
    m_container.finish();
}

WebPFrameImage AnimatedWebP::encode(const FramePixels& pixels, int x, int y, int width, int height) const
{
    WebPConfig config;
    if (!WebPConfigInit(&config))
        throw encoderError("libwebp's version does not match");
    config.quality = float(m_quality);
    config.method = m_method;
    config.lossless = 0;

    WebPPicture picture;
    if (!WebPPictureInit(&picture))
        throw encoderError("libwebp's version does not match");
    picture.use_argb = 1;
    picture.width = width;
    picture.height = height;
    if (!WebPPictureAlloc(&picture))
        throw encoderError("no memory for the picture");
    std::unique_ptr<WebPPicture, PictureFree> ownedPicture(&picture);
    // libwebp takes straight ARGB words; cairo's are premultiplied.
    for (int row = 0; row < height; ++row) {
        std::uint32_t* out = picture.argb + std::ptrdiff_t(row) * picture.argb_stride;
        for (std::uint32_t pixel : pixels.row(y + row).subspan(std::size_t(x), std::size_t(width))) {
            if (pixel >> 24 != 0xFF) {
                StraightColour colour = straightColour(pixel);
                pixel = std::uint32_t(colour.a) << 24 | std::uint32_t(colour.r) << 16 | std::uint32_t(colour.g) << 8 | colour.b;
            }
            *out++ = pixel;
        }
    }

    WebPMemoryWriter writer;
    WebPMemoryWriterInit(&writer);
    std::unique_ptr<WebPMemoryWriter, MemoryWriterClear> ownedWriter(&writer);
    picture.writer = WebPMemoryWrite;
    picture.custom_ptr = &writer;
    if (!WebPEncode(&config, &picture))
        throw encoderError("libwebp failed with error " + std::to_string(int(picture.error_code)));
    WebPFrameImage image { x, y, width, height, {}, false };
    takeImageChunks(writer, image);
    return image;
}

void AnimatedWebP::keepPixels(const FramePixels& pixels, int y, int height)
{
    auto width = std::size_t(m_width);
    if (m_lastPixels.empty())
        m_lastPixels.resize(width * std::size_t(m_height));
    // Rows outside the changed ones are equal already.
    for (int row = y; row < y + height; ++row)
        std::memcpy(m_lastPixels.data() + std::size_t(row) * width, pixels.row(row).data(), width * sizeof(std::uint32_t));
}

}
