#include "host/Recorder.h"

#include "host/Panel.h"
#include "platform/Application.h"
#include "platform/RunLoop.h"

#include <cmath>

namespace orvessa {

Recorder::Recorder(Panel& panel, FrameSink& sink, double fps, float scale)
    : m_panel(panel)
    , m_sink(sink)
    , m_fps(fps)
    , m_scale(scale)
{
}

long Recorder::framesBefore(double seconds, double fps)
{
    // The same comparison recordUntil makes, so the two never disagree by a frame.
    auto count = long(std::ceil(seconds * fps));
    while (count > 0 && double(count - 1) / fps >= seconds)
        --count;
    while (double(count) / fps < seconds)
        ++count;
    return count;
}

void Recorder::recordUntil(double t)
{
    RunLoop& runLoop = m_panel.context().runLoop();
    const auto& alerts = m_panel.context().application().visibleAlerts();
    while (nextFrameTime() < t) {
        long index = m_nextFrame;
        double when = nextFrameTime();
        runLoop.runUntil(when);
        bool repeated = m_lastFrame && m_renderer.wouldRepeatLastFrame(m_panel.window(), alerts, when, m_scale);
        if (repeated) {
            m_sink.repeatFrame(index);
        } else {
            m_lastFrame = std::make_shared<const Frame>(m_renderer.render(m_panel.window(), alerts, when, m_scale));
            ++m_drawnFrames;
            // NOTE: The observer may read the pixels while the sink's workers read them too; nothing
            // draws into a frame once it is made.
            if (m_onFrame)
                m_onFrame({ index, when, *m_lastFrame, false });
            m_sink.addFrame(index, m_lastFrame);
            ++m_nextFrame;
            continue;
        }
        if (m_onFrame)
            m_onFrame({ index, when, *m_lastFrame, true });
        ++m_nextFrame;
    }
    runLoop.runUntil(t);
}

void Recorder::finish()
{
    m_sink.finish(m_nextFrame);
}

Frame renderSnapshot(Panel& panel, Renderer& renderer, float scale)
{
    return renderer.render(panel.window(), panel.context().application().visibleAlerts(), panel.now(), scale);
}

}
