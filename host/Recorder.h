#pragma once

#include "host/FrameSink.h"
#include "render/Renderer.h"

#include <functional>
#include <memory>

namespace orvessa {

class Panel;

// Plays the panel on its virtual clock and gives its sink a frame every 1/fps seconds of virtual
// time: frame 0 at 0.0 s, frame 1 at 1/fps, and so on. A frame the renderer says would repeat the
// last one drawn is neither drawn nor encoded again: the sink hears it is a repeat.
class Recorder {
public:
    // What the observer hears of each frame, drawn or repeated, as it is given to the sink.
    struct ShownFrame {
        long index;
        double time;
        const Frame& pixels;
        bool repeated;
    };

    Recorder(Panel&, FrameSink&, double fps, float scale);

    // How many frames a recording of `seconds` holds: those due before it ends.
    static long framesBefore(double seconds, double fps);

    // Runs the panel to time t, giving the sink every frame due before t. Throws what the sink
    // throws (OutputError when a frame cannot be written); the recording stops there.
    void recordUntil(double t);
    // Completes the sink's output after the frames given so far.
    void finish();
    void setFrameObserver(std::function<void(const ShownFrame&)> observer) { m_onFrame = std::move(observer); }

    long frameCount() const { return m_nextFrame; }
    long drawnFrameCount() const { return m_drawnFrames; }
    double nextFrameTime() const { return double(m_nextFrame) / m_fps; }

private:
    Panel& m_panel;
    FrameSink& m_sink;
    Renderer m_renderer;
    double m_fps;
    float m_scale;
    long m_nextFrame { 0 };
    long m_drawnFrames { 0 };
    std::shared_ptr<const Frame> m_lastFrame; // Shared with the sink while it encodes it.
    std::function<void(const ShownFrame&)> m_onFrame;
};

// The panel's window as it is now, with its alerts.
Frame renderSnapshot(Panel&, Renderer&, float scale);

}
