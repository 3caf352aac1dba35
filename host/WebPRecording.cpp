#include "host/WebPRecording.h"

#include <cmath>
#include <stdexcept>

namespace orvessa {

long long frameTimestampMs(long index, double fps)
{
    return std::llround(double(index) * 1000.0 / fps);
}

WebPRecording::WebPRecording(const OutputFile& file, double fps, int quality)
    : m_file(file.startWriting())
    , m_fps(fps)
    , m_quality(quality)
{
}

void WebPRecording::addFrame(long index, std::shared_ptr<const Frame> frame)
{
    // One thread takes the jobs in order, so the encoder sees the frames in order.
    m_worker.submit([this, index, frame = std::move(frame)]() -> OrderedWorkers::Step {
        if (!m_animation)
            m_animation.emplace(m_file, frame->width(), frame->height(), m_quality);
        m_animation->addFrame(*frame, frameTimestampMs(index, m_fps));
        return nullptr;
    });
}

void WebPRecording::finish(long frameCount)
{
    m_worker.finish();
    if (!m_animation)
        throw std::logic_error("a recording of no frames");
    m_animation->finish(frameTimestampMs(frameCount, m_fps));
    m_file.commit();
}

}
