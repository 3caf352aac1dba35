#pragma once

#include "render/Renderer.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace orvessa {

class Panel;

// Plays the panel on its virtual clock and writes a numbered PNG every 1/fps seconds of virtual
// time: frame-00000.png at 0.0 s, frame-00001.png at 1/fps, and so on.
class Recorder {
public:
    struct WrittenFrame {
        double time;
        std::filesystem::path path;
    };

    Recorder(Panel&, std::filesystem::path folder, double fps, float scale);

    // Runs the panel to time t, writing every frame due before t. `onFrame` hears of each one.
    void recordUntil(double t);
    void setFrameObserver(std::function<void(const WrittenFrame&)> observer) { m_onFrame = std::move(observer); }

    const std::vector<WrittenFrame>& frames() const { return m_frames; }
    double nextFrameTime() const { return double(m_nextFrame) / m_fps; }

private:
    Panel& m_panel;
    Renderer m_renderer;
    std::filesystem::path m_folder;
    double m_fps;
    float m_scale;
    long m_nextFrame { 0 };
    std::vector<WrittenFrame> m_frames;
    std::function<void(const WrittenFrame&)> m_onFrame;
};

// The panel's window as it is now, written as a PNG.
void writeSnapshot(Panel&, Renderer&, float scale, const std::filesystem::path&);

// True when `path` is `folder` or lies inside it, after resolving both.
bool isInside(const std::filesystem::path& path, const std::filesystem::path& folder);

}
