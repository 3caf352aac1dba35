#include "host/Recorder.h"

#include "host/Panel.h"
#include "platform/Application.h"
#include "platform/RunLoop.h"

#include <cstdio>
#include <system_error>

namespace orvessa {

Recorder::Recorder(Panel& panel, std::filesystem::path folder, double fps, float scale)
    : m_panel(panel)
    , m_folder(std::move(folder))
    , m_fps(fps)
    , m_scale(scale)
{
}

void Recorder::recordUntil(double t)
{
    RunLoop& runLoop = m_panel.context().runLoop();
    while (nextFrameTime() < t) {
        double when = nextFrameTime();
        runLoop.runUntil(when);
        char name[32];
        std::snprintf(name, sizeof name, "frame-%05ld.png", m_nextFrame);
        WrittenFrame frame { when, m_folder / name };
        writeSnapshot(m_panel, m_renderer, m_scale, frame.path);
        m_frames.push_back(frame);
        ++m_nextFrame;
        if (m_onFrame)
            m_onFrame(frame);
    }
    runLoop.runUntil(t);
}

void writeSnapshot(Panel& panel, Renderer& renderer, float scale, const std::filesystem::path& path)
{
    Frame frame = renderer.render(panel.window(), panel.context().application().visibleAlerts(), panel.now(), scale);
    frame.writePng(path);
}

bool isInside(const std::filesystem::path& path, const std::filesystem::path& folder)
{
    std::error_code error;
    auto resolvedPath = std::filesystem::weakly_canonical(std::filesystem::absolute(path, error), error);
    auto resolvedFolder = std::filesystem::weakly_canonical(std::filesystem::absolute(folder, error), error);
    auto [folderEnd, pathAt] = std::mismatch(resolvedFolder.begin(), resolvedFolder.end(), resolvedPath.begin(), resolvedPath.end());
    return folderEnd == resolvedFolder.end();
}

}
