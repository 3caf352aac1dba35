#pragma once

#include "render/Frame.h"

#include <memory>

namespace orvessa {

// Where a recording's frames go, numbered from 0 in the order they are shown.
class FrameSink {
public:
    virtual ~FrameSink() = default;

    // Frame `index` shows new pixels; the sink may keep them as long as it needs.
    virtual void addFrame(long index, std::shared_ptr<const Frame>) = 0;
    // Frame `index` shows exactly the pixels of frame index - 1.
    virtual void repeatFrame(long index) = 0;
    // Completes the output once `frameCount` frames are given. Every method throws OutputError when
    // a file cannot be written, std::runtime_error when a frame cannot be encoded; nothing more is
    // written after the first failure.
    virtual void finish(long frameCount) = 0;
};

}
