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

// A recording as one animated WebP file. Frames are encoded on a worker thread, in order, while the
// next ones are drawn; a repeated frame adds nothing, the frame before it lasts longer. The file is
// written whole, through the safe writer, when the recording finishes.
class WebPRecording final : public FrameSink {
public:
    WebPRecording(OutputFile, double fps, int quality = kDefaultWebPQuality);

    void addFrame(long index, std::shared_ptr<const Frame>) override;
    void repeatFrame(long) override { }
    void finish(long frameCount) override;

    const OutputFile& file() const { return m_file; }

private:
    OutputFile m_file;
    double m_fps;
    int m_quality;
    // Made at the first frame, which gives the size. NOTE: Used only on the worker thread until finish.
    std::optional<AnimatedWebP> m_animation;
    OrderedWorkers m_worker { 1, 3 }; // Last: its thread stops before the rest goes.
};

}
