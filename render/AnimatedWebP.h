#pragma once

#include "render/ByteOutput.h"
#include "render/Frame.h"
#include "render/FramePixels.h"
#include "render/WebPContainer.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace orvessa {

inline constexpr int kDefaultWebPQuality = 80;
// libwebp's effort, 0 (fastest) to 6; see the README for what each costs on the panel's frames.
inline constexpr int kDefaultWebPMethod = 2;

// An animated WebP written frame by frame as it goes, lossy at `quality`. Each frame is shown from
// its timestamp until the next frame's. Only the rectangle that changed since the frame before is
// encoded; a frame that changes nothing is not written, the one before it simply lasts longer.
// A frame's duration is known only when the next one comes, so one encoded frame is held back; the
// memory kept is that frame and the pixels of the last one, however long the animation.
// NOTE: One thread at a time; frames must come in order of their timestamps. After a throw the
// output is incomplete and must be dropped.
class AnimatedWebP {
public:
    // Writes the file's header to `output`, which must outlive this. Throws std::invalid_argument for
    // a size outside 1 to 16383, a quality outside 1 to 100 or a method outside 0 to 6.
    AnimatedWebP(ByteOutput& output, int width, int height, int quality = kDefaultWebPQuality, int method = kDefaultWebPMethod);
    AnimatedWebP(const AnimatedWebP&) = delete;
    AnimatedWebP& operator=(const AnimatedWebP&) = delete;

    // Throws std::invalid_argument for a frame of another size or a timestamp not after the last
    // one, std::runtime_error when encoding fails.
    void addFrame(const Frame&, long long timestampMs);
    // Ends the last frame at `endMs` and completes the file; nothing may be added after.
    void finish(long long endMs);

    // Frames that showed something new, each written once.
    std::size_t frameCount() const { return m_frames; }

private:
    struct HeldFrame {
        WebPFrameImage image;
        long long startMs { 0 };
    };

    WebPFrameImage encode(const FramePixels&, int x, int y, int width, int height) const;
    void keepPixels(const FramePixels&, int y, int height);

    int m_width;
    int m_height;
    int m_quality;
    int m_method;
    WebPContainer m_container; // After the settings, so a refused one writes nothing.
    std::vector<std::uint32_t> m_lastPixels; // The last frame's words, to find what the next changes.
    std::optional<HeldFrame> m_held; // Written when its duration is known.
    long long m_lastTimestamp { -1 };
    std::size_t m_frames { 0 };
    bool m_finished { false };
};

}
