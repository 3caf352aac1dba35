#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class BBWeeAppController;

namespace orvessa {

// Where the widget's slideshow stands, as the host protocol's query side shows it: the image list and
// the position in it.
struct SlidePosition {
    std::vector<std::string> images;
    std::int64_t currentImage { 0 };

    // The entry `offset` steps from the current one, wrapping at both ends.
    const std::string& entry(std::int64_t offset) const;
};

// Nothing while the widget shows no list (before its full view), or when its state holds no
// position inside the list.
std::optional<SlidePosition> slidePosition(const BBWeeAppController&);

}
