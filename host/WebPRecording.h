#pragma once

#include "host/FrameSink.h"
#include "host/OrderedWorkers.h"
#include "host/OutputFolder.h"
#include "render/AnimatedWebP.h"

#include <memory>
#include <optional>

namespace orvessa {

// When frame `index` starts at `fps` frames a second, in whole milliseconds: from the index alone,
// so rounding never adds up over a long recording.
long long frameTimestampMs(long index, double fps);

// A recording as one animated WebP file, written as it goes. Frames are encoded on a worker thread,
// in order, while the next ones are drawn, and land in a file beside the target that finish() puts
// in place; memory stays the same however long the recording. A repeated frame adds nothing, the
// frame before it lasts longer. Dropped unfinished, or after a failure, the recording leaves no file.
class WebPRecording final : public FrameSink {
public:
    // Starts the file at once, so a folder that cannot be written fails before any frame is drawn.
    WebPRecording(const OutputFile&, double fps, int quality = kDefaultWebPQuality);

    void addFrame(long index, std::shared_ptr<const Frame>) override;
    void repeatFrame(long) override { }
    void finish(long frameCount) override;

private:
    PendingFile m_file;
    double m_fps;
    int m_quality;
    // Made at the first frame, which gives the size; writes into m_file. NOTE: Used only on the
    // worker thread until finish.
    std::optional<AnimatedWebP> m_animation;
    OrderedWorkers m_worker { 1, 3 }; // Last: its thread stops before the rest goes.
};

}
