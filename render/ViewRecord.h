#pragma once

#include "platform/Clock.h"
#include "platform/Color.h"
#include "platform/Control.h"
#include "platform/Geometry.h"
#include "platform/Toolbar.h"
#include "platform/View.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

class UIImage;

namespace orvessa {

// Alpha below this draws nothing; a view fading in or out is skipped at its very ends.
inline constexpr float kInvisibleAlpha = 0.001f;

// An image by identity, held weakly so a record never keeps a picture alive: while this is held, no
// other image can share its control block, so equal references mean the same image object.
class ImageReference {
public:
    ImageReference() = default;
    explicit ImageReference(const std::shared_ptr<const UIImage>& image)
        : m_image(image)
    {
    }

    // The image while its view holds it, as it does through the frame the record was taken for.
    std::shared_ptr<const UIImage> lock() const { return m_image.lock(); }

    bool operator==(const ImageReference& other) const { return !m_image.owner_before(other.m_image) && !other.m_image.owner_before(m_image); }

private:
    std::weak_ptr<const UIImage> m_image;
};

// What each kind of view draws over its background colour.
struct PlainContent {
    bool operator==(const PlainContent&) const = default;
};
struct ImageContent {
    ImageReference image;
    UIViewContentMode contentMode { UIViewContentModeScaleToFill };
    bool operator==(const ImageContent&) const = default;
};
struct ButtonContent {
    UIButtonType type { UIButtonTypeCustom };
    bool highlighted { false };
    ImageReference image; // A custom button's image for its state.
    bool operator==(const ButtonContent&) const = default;
};
struct ToolbarContent {
    UIBarStyle style { UIBarStyleDefault };
    bool translucent { false };
    bool operator==(const ToolbarContent&) const = default;
};
struct BarItemContent {
    std::optional<UIBarButtonSystemItem> item; // Nothing once the toolbar has let the item go.
    bool highlighted { false };
    bool operator==(const BarItemContent&) const = default;
};
using ViewContent = std::variant<PlainContent, ImageContent, ButtonContent, ToolbarContent, BarItemContent>;

// All of one view's state that drawing reads, taken once per frame. The frame drawer reads records
// and never views, so two equal lists of records draw the same pixels: keep every field compared.
struct ViewRecord {
    int depth { 0 }; // The window is 0; a view's subviews follow it in the list one deeper.
    CGRect frame;
    float alpha { 1 }; // The presentation value at the frame's time, clamped to 0...1.
    bool animating { false }; // The presentation alpha has not reached the model value yet.
    bool hasSubviews { false }; // Any at all, shown or not.
    std::optional<UIColor> background;
    float cornerRadius { 0 };
    bool masksToBounds { false };
    // For a view drawn as a group: the rectangle its subtree is clipped to, in its own coordinates;
    // nothing when content may spill out without limit.
    std::optional<CGRect> groupClip;
    ViewContent content;

    bool operator==(const ViewRecord&) const = default;
};

// The records of every view drawn at `now`, from the window down in drawing order (a view, then its
// subviews' records); hidden views and those too faint to see are left out with their subviews.
std::vector<ViewRecord> recordViews(const UIView& window, TimeInterval now);

// Children fade with their parent, not each on its own over the others: a translucent view with
// subviews is drawn into a group of its own first.
bool drawsAsGroup(const ViewRecord&);

// How many records come before the first view that is animating or drawn as a group. Those views
// draw the same pixels while their records stay equal, so what lies under that view can be kept.
std::size_t settledViewCount(const std::vector<ViewRecord>&);

}
