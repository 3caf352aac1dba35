#include "host/FrameFolder.h"

#include "render/PngEncoder.h"

#include <cstdio>

namespace orvessa {

namespace {

// Room for the frames being encoded and as many again waiting, a few megabytes at scale 2.
std::size_t framesInFlight(unsigned threads)
{
    return 2 * std::size_t(threads) + 2;
}

}

FrameFolder::FrameFolder(OutputFolder folder, unsigned threads)
    : m_folder(std::move(folder))
    , m_workers(threads, framesInFlight(threads))
{
}

std::string FrameFolder::frameName(long index)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame-%05ld.png", index);
    return name;
}

void FrameFolder::addFrame(long index, std::shared_ptr<const Frame> frame)
{
    m_workers.submit([this, index, frame = std::move(frame)]() -> OrderedWorkers::Step {
        auto bytes = std::make_shared<const std::vector<std::uint8_t>>(encodePng(*frame));
        return [this, index, bytes = std::move(bytes)] {
            m_folder.write(frameName(index), *bytes, WriteMode::Fast);
            m_lastBytes = bytes;
        };
    });
}

void FrameFolder::repeatFrame(long index)
{
    m_workers.submitStep([this, index] {
        if (!m_lastBytes)
            throw std::logic_error("frame " + std::to_string(index) + " repeats a frame that was never given");
        m_folder.write(frameName(index), *m_lastBytes, WriteMode::Fast);
    });
}

void FrameFolder::finish(long)
{
    m_workers.finish();
}

}
