#include "host/Recorder.h"

#include "host/Panel.h"
#include "platform/Application.h"
#include "platform/RunLoop.h"

#include <cstdio>

namespace orvessa {

Recorder::Recorder(Panel& panel, OutputFolder folder, double fps, float scale)
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
        WrittenFrame frame { when, m_folder.path() / name };
        m_folder.write(name, encodePng(renderSnapshot(m_panel, m_renderer, m_scale)), WriteMode::Fast);
        m_frames.push_back(frame);
        ++m_nextFrame;
        if (m_onFrame)
            m_onFrame(frame);
    }
    runLoop.runUntil(t);
}

Frame renderSnapshot(Panel& panel, Renderer& renderer, float scale)
{
    return renderer.render(panel.window(), panel.context().application().visibleAlerts(), panel.now(), scale);
}

}
