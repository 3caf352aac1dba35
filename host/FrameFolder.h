#pragma once

#include "host/FrameSink.h"
#include "host/OrderedWorkers.h"
#include "host/OutputFolder.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orvessa {

// A recording as numbered PNG files in a folder: frame-00000.png, frame-00001.png, ... Frames are
// encoded on a few worker threads and written in order, each through the folder's safe writer; a
// repeated frame is not encoded again, its file gets the previous frame's bytes. At most a few
// frames wait at a time, however long the recording.
class FrameFolder final : public FrameSink {
public:
    static constexpr unsigned kMostThreads = 4;

    explicit FrameFolder(OutputFolder, unsigned threads = OrderedWorkers::threadsForThisMachine(kMostThreads));

    static std::string frameName(long index);

    void addFrame(long index, std::shared_ptr<const Frame>) override;
    void repeatFrame(long index) override;
    void finish(long frameCount) override;

    const OutputFolder& folder() const { return m_folder; }

private:
    OutputFolder m_folder;
    // NOTE: Touched only by steps, which run one at a time in frame order.
    std::shared_ptr<const std::vector<std::uint8_t>> m_lastBytes;
    OrderedWorkers m_workers; // Last: its threads stop before the rest goes.
};

}
