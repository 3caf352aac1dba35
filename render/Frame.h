#pragma once

#include <cstdint>

// cairo's own name for its surface, declared so that this header needs no cairo.h.
typedef struct _cairo_surface cairo_surface_t; // NOLINT(bugprone-reserved-identifier)

namespace orvessa {

// Where a frame's pixels live. Fresh huge pages suit a frame made once: its first write costs a few
// page faults instead of hundreds. The heap suits frames made one after another, as a recording or
// the window makes them: the allocator hands each the memory of the last, already touched, where
// huge pages would be mapped, zeroed and unmapped at every frame.
enum class FrameMemory {
    HugePages,
    Heap,
};

// One picture in memory: a cairo ARGB32 image surface, owned. Movable, not copyable; a moved-from
// frame is empty (0 x 0, no surface).
class Frame {
public:
    // A transparent picture of the given size in pixels; throws std::runtime_error when cairo cannot
    // make one (a size beyond cairo's limits, no memory).
    Frame(int width, int height, FrameMemory = FrameMemory::HugePages);
    // Takes over a surface the caller made; throws std::runtime_error if it is in an error state.
    static Frame adopt(cairo_surface_t*);
    ~Frame();

    Frame(Frame&&) noexcept;
    Frame& operator=(Frame&&) noexcept;
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;

    int width() const { return m_width; }
    int height() const { return m_height; }
    // 0xAARRGGBB, premultiplied as cairo keeps it. Coordinates outside the picture give 0.
    std::uint32_t pixel(int x, int y) const;

    // For drawing into; null for an empty frame.
    cairo_surface_t* surface() const { return m_surface; }

private:
    Frame() = default;
    void reset();

    cairo_surface_t* m_surface { nullptr };
    int m_width { 0 };
    int m_height { 0 };
};

}
