#pragma once

#include "platform/Application.h"
#include "platform/Clock.h"
#include "render/Frame.h"

#include <cstddef>
#include <memory>
#include <vector>

class UIWindow;

namespace orvessa {

// What a renderer is for. One that draws a run of frames keeps, from its first frame on, what the
// next can reuse, so the frames after it, the ones a viewer watches, pay for nothing twice. One that
// draws a single picture keeps nothing of its first frame.
enum class RendererUse {
    Frames,
    SinglePicture,
};

// Draws a window's view tree at a moment into pixels with cairo. Keep one renderer for a run of
// frames: it keeps what the next frame can reuse.
// - Each image it drew, resampled once to the size drawn, so a frame only copies pixels. An entry
//   goes when its image is gone or it was last drawn before the frame the kept pixels come from.
// - The pixels under the first view that changes (a fading picture, the overlay): when the views
//   beneath it are drawn exactly as last time, the frame starts from a copy of them.
// - The records the last frame was drawn from, to tell whether a frame would repeat it.
class Renderer {
public:
    explicit Renderer(RendererUse = RendererUse::Frames);
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // The panel at `now`, `scale` pixels per point: a background of our own, every visible view back
    // to front, then the topmost alert over the dimmed panel. Throws std::invalid_argument for a scale
    // outside (0, 8], std::runtime_error when cairo fails.
    Frame render(const UIWindow&, const std::vector<std::shared_ptr<UIAlertView>>& alerts, TimeInterval now, float scale);

    // Whether render() with these arguments would give exactly the pixels of the last frame this
    // renderer drew, for the window and alerts as they are now at time `t`: the same size and scale,
    // every visible view recorded as then (so none has moved, changed or faded since), the same alert
    // on top. It compares the records the drawing reads, so it never answers true for different
    // pixels; it may answer false for equal ones. False before the first frame.
    bool wouldRepeatLastFrame(const UIWindow&, const std::vector<std::shared_ptr<UIAlertView>>& alerts, TimeInterval t, float scale) const;

    // How many resampled pictures are kept now.
    std::size_t cachedPictureCount() const;
    // How many views the last frame took from the kept pixels instead of drawing them.
    std::size_t reusedViewCount() const;

private:
    struct Caches;
    std::unique_ptr<Caches> m_caches;
    RendererUse m_use;
};

// One frame with a renderer of its own, for a single picture; a run of frames should share a Renderer.
Frame renderPanel(const UIWindow&, const std::vector<std::shared_ptr<UIAlertView>>& alerts, TimeInterval now, float scale);

}
