#include "render/AnimatedWebP.h"

#include "render/FramePixels.h"

#include <webp/encode.h>
#include <webp/mux.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace orvessa {

namespace {

// WebP's largest side.
constexpr int kMaximumSide = 16383;

struct PictureFree {
    void operator()(WebPPicture* picture) const { WebPPictureFree(picture); }
};

std::runtime_error encoderError(WebPAnimEncoder* encoder)
{
    const char* reason = encoder ? WebPAnimEncoderGetError(encoder) : nullptr;
    return std::runtime_error(std::string("cannot encode the animated WebP: ") + (reason && *reason ? reason : "libwebp failed"));
}

}

AnimatedWebP::AnimatedWebP(int width, int height, int quality, int method)
    : m_width(width)
    , m_height(height)
    , m_quality(quality)
    , m_method(method)
{
    if (width < 1 || height < 1 || width > kMaximumSide || height > kMaximumSide)
        throw std::invalid_argument("an animated WebP cannot be " + std::to_string(width) + " x " + std::to_string(height) + " pixels");
    if (quality < 1 || quality > 100)
        throw std::invalid_argument("WebP quality " + std::to_string(quality) + " is not from 1 to 100");
    if (method < 0 || method > 6)
        throw std::invalid_argument("WebP method " + std::to_string(method) + " is not from 0 to 6");
    WebPAnimEncoderOptions options;
    if (!WebPAnimEncoderOptionsInit(&options))
        throw std::runtime_error("cannot encode the animated WebP: libwebp's version does not match");
    options.anim_params.loop_count = 0; // Loops for ever, as a recording shown on a page should.
    options.allow_mixed = 0;
    options.minimize_size = 0;
    m_encoder = WebPAnimEncoderNew(width, height, &options);
    if (!m_encoder)
        throw encoderError(nullptr);
}

AnimatedWebP::~AnimatedWebP()
{
    WebPAnimEncoderDelete(m_encoder);
}

void AnimatedWebP::addFrame(const Frame& frame, long long timestampMs)
{
    if (m_finished)
        throw std::logic_error("the animated WebP is already finished");
    if (frame.width() != m_width || frame.height() != m_height)
        throw std::invalid_argument("a frame of " + std::to_string(frame.width()) + " x " + std::to_string(frame.height()) + " pixels in an animation of " + std::to_string(m_width) + " x " + std::to_string(m_height));
    if (timestampMs <= m_lastTimestamp || timestampMs > INT32_MAX)
        throw std::invalid_argument("frame timestamp " + std::to_string(timestampMs) + " ms does not follow " + std::to_string(m_lastTimestamp) + " ms");
    FramePixels pixels(frame);

    WebPConfig config;
    if (!WebPConfigInit(&config))
        throw encoderError(nullptr);
    config.quality = float(m_quality);
    config.method = m_method;
    config.lossless = 0;

    WebPPicture picture;
    if (!WebPPictureInit(&picture))
        throw encoderError(nullptr);
    picture.use_argb = 1;
    picture.width = m_width;
    picture.height = m_height;
    if (!WebPPictureAlloc(&picture))
        throw encoderError(nullptr);
    std::unique_ptr<WebPPicture, PictureFree> owned(&picture);
    // libwebp takes straight ARGB words; cairo's are premultiplied.
    bool opaque = pixels.isOpaque();
    for (int y = 0; y < m_height; ++y) {
        std::uint32_t* out = picture.argb + std::ptrdiff_t(y) * picture.argb_stride;
        for (std::uint32_t pixel : pixels.row(y)) {
            if (!opaque) {
                StraightColour colour = straightColour(pixel);
                pixel = std::uint32_t(colour.a) << 24 | std::uint32_t(colour.r) << 16 | std::uint32_t(colour.g) << 8 | colour.b;
            }
            *out++ = pixel;
        }
    }
    if (!WebPAnimEncoderAdd(m_encoder, &picture, int(timestampMs), &config))
        throw encoderError(m_encoder);
    m_lastTimestamp = timestampMs;
    ++m_frames;
}

std::vector<std::uint8_t> AnimatedWebP::finish(long long endMs)
{
    if (m_finished)
        throw std::logic_error("the animated WebP is already finished");
    if (m_frames == 0)
        throw std::logic_error("an animated WebP needs at least one frame");
    if (endMs <= m_lastTimestamp || endMs > INT32_MAX)
        throw std::invalid_argument("the animation's end " + std::to_string(endMs) + " ms does not follow its last frame at " + std::to_string(m_lastTimestamp) + " ms");
    m_finished = true;
    // A null frame only marks when the last one ends.
    if (!WebPAnimEncoderAdd(m_encoder, nullptr, int(endMs), nullptr))
        throw encoderError(m_encoder);
    WebPData data;
    WebPDataInit(&data);
    if (!WebPAnimEncoderAssemble(m_encoder, &data))
        throw encoderError(m_encoder);
    std::vector<std::uint8_t> bytes(data.bytes, data.bytes + data.size);
    WebPDataClear(&data);
    return bytes;
}

}
