#pragma once

#include "host/OutputFolder.h"
#include "render/Renderer.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace orvessa {

class Panel;

// Plays the panel on its virtual clock and writes a numbered PNG every 1/fps seconds of virtual
// time into its folder: frame-00000.png at 0.0 s, frame-00001.png at 1/fps, and so on.
class Recorder {
public:
    struct WrittenFrame {
        double time;
        std::filesystem::path path;
    };

    Recorder(Panel&, OutputFolder, double fps, float scale);

    // Runs the panel to time t, writing every frame due before t. `onFrame` hears of each one.
    // Throws OutputError when a frame cannot be written.
    void recordUntil(double t);
    void setFrameObserver(std::function<void(const WrittenFrame&)> observer) { m_onFrame = std::move(observer); }

    const std::vector<WrittenFrame>& frames() const { return m_frames; }
    double nextFrameTime() const { return double(m_nextFrame) / m_fps; }
    const OutputFolder& folder() const { return m_folder; }

private:
    Panel& m_panel;
    Renderer m_renderer;
    OutputFolder m_folder;
    double m_fps;
    float m_scale;
    long m_nextFrame { 0 };
    std::vector<WrittenFrame> m_frames;
    std::function<void(const WrittenFrame&)> m_onFrame;
};

// The panel's window as it is now, with its alerts.
Frame renderSnapshot(Panel&, Renderer&, float scale);

}
