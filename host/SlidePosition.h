#pragma once

#include "platform/PathList.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class BBWeeAppController;

namespace orvessa {

// Where the widget's slideshow stands, as the host protocol's query side shows it: the image list and
// the position in it.
struct SlidePosition {
    std::shared_ptr<const PathList> images; // Never null; the widget's own list, not a copy.
    std::int64_t currentImage { 0 };

    // The entry `offset` steps from the current one, wrapping at both ends.
    std::string entry(std::int64_t offset) const;
};

// Nothing while the widget shows no list (before its full view), or when its state holds no
// position inside the list.
std::optional<SlidePosition> slidePosition(const BBWeeAppController&);

}
