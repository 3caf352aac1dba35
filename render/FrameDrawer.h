#pragma once

#include "render/CornerMask.h"
#include "render/PictureCache.h"
#include "render/ViewRecord.h"

#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class UIImage;

namespace orvessa {

// Draws one frame's views from their records into a cairo context whose user space is the window's
// points: each view back to front with its alpha, rounded masks, background colour and content, then
// its subviews. It reads the records alone, never the views.
class FrameDrawer {
public:
    FrameDrawer(cairo_t*, cairo_surface_t* target, float scale, PictureCache&, std::uint64_t frameNumber);

    // The first `count` records are already in the target's pixels: they place and clip what follows
    // but are not drawn again.
    void skipViews(std::size_t count) { m_skip = count; }
    // Copies the target's pixels into `into` just before drawing record number `index`, or after the last.
    void keepPixelsBefore(std::size_t index, cairo_surface_t* into);

    // The records of recordViews, in their order.
    void drawViews(const std::vector<ViewRecord>&);

private:
    void keepPixelsIfDue(std::size_t index);
    // Draws the view at `index` with its subtree; returns the index after the subtree.
    std::size_t drawView(const std::vector<ViewRecord>&, std::size_t index);
    void drawBackground(const ViewRecord&, float alpha);
    void drawContent(const ViewRecord&, const PlainContent&, float) { }
    void drawContent(const ViewRecord&, const ImageContent&, float alpha);
    void drawContent(const ViewRecord&, const ButtonContent&, float alpha);
    void drawContent(const ViewRecord&, const ToolbarContent&, float alpha);
    void drawContent(const ViewRecord&, const BarItemContent&, float alpha);
    void drawImage(const std::shared_ptr<const UIImage>&, CGRect bounds, int contentMode, bool clipped, float alpha);

    cairo_t* m_cr;
    cairo_surface_t* m_target;
    float m_scale;
    PictureCache& m_pictures;
    std::uint64_t m_frameNumber;
    // The rounded corners of the nearest masking ancestor, not yet applied as a cairo clip: every
    // drawing under it goes through drawMasked.
    std::optional<CornerMask> m_mask;
    std::size_t m_skip { 0 };
    std::optional<std::size_t> m_keepBefore;
    cairo_surface_t* m_keepInto { nullptr };
};

}
