#pragma once

#include "platform/Clock.h"
#include "platform/Color.h"
#include "platform/Geometry.h"

#include <memory>
#include <optional>
#include <vector>

class UIButton;
class UIImage;
class UIView;

namespace orvessa {

// Alpha below this draws nothing; a view fading in or out is skipped at its very ends.
inline constexpr float kInvisibleAlpha = 0.001f;

enum class ViewKind {
    Plain,
    Image,
    Button,
    Toolbar,
    ToolbarButton,
};

ViewKind kindOf(const UIView&);
// The image a button draws: a custom button's image for its state.
std::shared_ptr<UIImage> buttonImage(const UIButton&);

// Everything that decides how one view draws itself and how it places and clips its subviews, with
// its depth in the tree: equal lists of these, from the window down in drawing order, draw the same pixels.
struct ViewRecord {
    const UIView* view { nullptr };
    ViewKind kind { ViewKind::Plain };
    int depth { 0 };
    CGRect frame;
    float alpha { 1 };
    std::optional<UIColor> background;
    float cornerRadius { 0 };
    bool masksToBounds { false };
    int contentMode { 0 };
    std::weak_ptr<const UIImage> image; // Held weakly: a new image can never share a live control block.
    int style { 0 }; // Button type, bar style or bar item, by kind.
    bool flag { false }; // Highlighted, or a translucent bar.

    bool operator==(const ViewRecord& other) const;
};

// The views drawn before the first one that is animating or must be drawn as a group, in drawing
// order; what lies under that view can be kept for the next frame. False once that view is found.
bool collectSettledViews(const UIView&, int depth, TimeInterval now, std::vector<ViewRecord>&);

// The extent of a view and its visible subviews in the view's own coordinates, for sizing a group;
// nothing when content may spill out without limit (images that overflow a view that does not clip).
std::optional<CGRect> subtreeExtent(const UIView&);

}
