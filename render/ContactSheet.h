#pragma once

#include "render/Frame.h"

#include <cstddef>
#include <utility>
#include <vector>

namespace orvessa {

// A recording at a glance: frames in a grid `columns` across, in the order added, each shrunk to a
// thumbnail 200 pixels wide with its time in seconds written under it. A frame is shrunk as it is
// added, so the sheet keeps thumbnails only, never whole frames. Every cell takes the shape of the
// first frame; frames of another shape are fitted inside it.
class ContactSheet {
public:
    static constexpr int kThumbnailWidth = 200;

    // Throws std::invalid_argument for fewer than one column.
    explicit ContactSheet(int columns);

    // Throws std::invalid_argument for an empty frame, std::runtime_error when cairo fails.
    void add(double time, const Frame&);
    std::size_t size() const { return m_thumbnails.size(); }

    // Throws std::invalid_argument for no frames, or for more than one picture can hold.
    Frame render() const;

private:
    int m_columns;
    int m_thumbnailHeight { 0 }; // From the first frame.
    std::vector<std::pair<double, Frame>> m_thumbnails;
};

}
