#pragma once

#include "platform/Clock.h"
#include "render/CornerMask.h"
#include "render/PictureCache.h"

#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

class UIButton;
class UIImage;
class UIToolbar;
class UIToolbarButton;
class UIView;

namespace orvessa {

// Draws one frame's view tree into a cairo context whose user space is the window's points: each view
// back to front with its alpha, rounded masks, background colour and content, then its subviews.
class FrameDrawer {
public:
    FrameDrawer(cairo_t*, cairo_surface_t* target, TimeInterval now, float scale, PictureCache&, std::uint64_t frameNumber);

    // The first `count` views in drawing order are already in the target's pixels.
    void skipViews(std::size_t count) { m_skip = count; }
    // Copies the target's pixels into `into` just before drawing view number `index`, or after the last.
    void keepPixelsBefore(std::size_t index, cairo_surface_t* into);

    void drawTree(const UIView& root);

private:
    void keepPixelsIfDue();
    void drawView(const UIView&);
    void drawContent(const UIView&, float alpha);
    void drawImage(const std::shared_ptr<UIImage>&, CGRect bounds, int contentMode, bool clipped, float alpha);
    void drawButton(const UIButton&, float alpha);
    void drawToolbar(const UIToolbar&, float alpha);
    void drawToolbarButton(const UIToolbarButton&, float alpha);

    cairo_t* m_cr;
    cairo_surface_t* m_target;
    TimeInterval m_now;
    float m_scale;
    PictureCache& m_pictures;
    std::uint64_t m_frameNumber;
    // The rounded corners of the nearest masking ancestor, not yet applied as a cairo clip: every
    // drawing under it goes through drawMasked.
    std::optional<CornerMask> m_mask;
    std::size_t m_index { 0 }; // Views drawn so far, counted as they start.
    std::size_t m_skip { 0 };
    std::optional<std::size_t> m_keepBefore;
    cairo_surface_t* m_keepInto { nullptr };
};

}
