#pragma once

#include "render/Frame.h"

#include <cstdint>
#include <vector>

struct WebPAnimEncoder;

namespace orvessa {

inline constexpr int kDefaultWebPQuality = 80;
// libwebp's effort, 0 (fastest) to 6; see the README for what each costs on the panel's frames.
inline constexpr int kDefaultWebPMethod = 2;

// An animated WebP built frame by frame with libwebp's animation encoder, lossy at `quality`. Each
// frame is shown from its timestamp until the next frame's; a picture that does not change is not
// added again, its frame simply lasts longer. libwebp stores only the rectangle that changed.
// NOTE: One thread at a time; frames must come in order of their timestamps.
class AnimatedWebP {
public:
    // Throws std::invalid_argument for a size outside 1 to 16383, a quality outside 1 to 100 or a
    // method outside 0 to 6, std::runtime_error when libwebp cannot start.
    AnimatedWebP(int width, int height, int quality = kDefaultWebPQuality, int method = kDefaultWebPMethod);
    ~AnimatedWebP();
    AnimatedWebP(const AnimatedWebP&) = delete;
    AnimatedWebP& operator=(const AnimatedWebP&) = delete;

    // Throws std::invalid_argument for a frame of another size or a timestamp not after the last
    // one, std::runtime_error when encoding fails.
    void addFrame(const Frame&, long long timestampMs);
    // Ends the last frame at `endMs` and gives the file's bytes; nothing may be added after.
    std::vector<std::uint8_t> finish(long long endMs);

    std::size_t frameCount() const { return m_frames; }

private:
    WebPAnimEncoder* m_encoder { nullptr };
    int m_width;
    int m_height;
    int m_quality;
    int m_method;
    long long m_lastTimestamp { -1 };
    std::size_t m_frames { 0 };
    bool m_finished { false };
};

}
