#include "render/ViewRecord.h"

#include "platform/Control.h"
#include "platform/ImageView.h"
#include "platform/Toolbar.h"
#include "platform/View.h"
#include "render/DrawingGeometry.h"

#include <algorithm>

namespace orvessa {

namespace {

ViewRecord recordOf(const UIView& view, int depth, float alpha)
{
    ViewRecord record;
    record.view = &view;
    record.kind = kindOf(view);
    record.depth = depth;
    record.frame = view.frame();
    record.alpha = alpha;
    record.background = view.backgroundColor();
    record.cornerRadius = view.layer().cornerRadius;
    record.masksToBounds = view.layer().masksToBounds;
    record.contentMode = view.contentMode();
    switch (record.kind) {
    case ViewKind::Image:
        record.image = static_cast<const UIImageView&>(view).image();
        break;
    case ViewKind::Button: {
        const auto& button = static_cast<const UIButton&>(view);
        record.style = button.buttonType();
        record.flag = button.isHighlighted();
        record.image = buttonImage(button);
        break;
    }
    case ViewKind::Toolbar: {
        const auto& toolbar = static_cast<const UIToolbar&>(view);
        record.style = toolbar.barStyle();
        record.flag = toolbar.isTranslucent();
        break;
    }
    case ViewKind::ToolbarButton: {
        const auto& button = static_cast<const UIToolbarButton&>(view);
        auto item = button.item();
        record.style = item ? int(item->systemItem()) : -1;
        record.flag = button.isHighlighted();
        break;
    }
    case ViewKind::Plain:
        break;
    }
    return record;
}

}

ViewKind kindOf(const UIView& view)
{
    if (dynamic_cast<const UIImageView*>(&view))
        return ViewKind::Image;
    if (dynamic_cast<const UIButton*>(&view))
        return ViewKind::Button;
    if (dynamic_cast<const UIToolbar*>(&view))
        return ViewKind::Toolbar;
    if (dynamic_cast<const UIToolbarButton*>(&view))
        return ViewKind::ToolbarButton;
    return ViewKind::Plain;
}

std::shared_ptr<UIImage> buttonImage(const UIButton& button)
{
    if (button.buttonType() != UIButtonTypeCustom)
        return nullptr;
    return button.imageForState(button.isHighlighted() ? UIControlStateHighlighted : UIControlStateNormal);
}

bool ViewRecord::operator==(const ViewRecord& other) const
{
    bool sameImage = !image.owner_before(other.image) && !other.image.owner_before(image);
    return view == other.view && kind == other.kind && depth == other.depth && frame == other.frame && alpha == other.alpha
        && background == other.background && cornerRadius == other.cornerRadius && masksToBounds == other.masksToBounds
        && contentMode == other.contentMode && sameImage && style == other.style && flag == other.flag;
}

bool collectSettledViews(const UIView& view, int depth, TimeInterval now, std::vector<ViewRecord>& records)
{
    if (view.isHidden())
        return true;
    float alpha = clampedAlpha(view.presentationAlpha(now));
    if (alpha < kInvisibleAlpha)
        return true;
    if (alpha != clampedAlpha(view.alpha()) || (!view.subviews().empty() && alpha < 1))
        return false;
    records.push_back(recordOf(view, depth, alpha));
    for (const auto& subview : view.subviews()) {
        if (subview && !collectSettledViews(*subview, depth + 1, now, records))
            return false;
    }
    return true;
}

std::optional<CGRect> subtreeExtent(const UIView& view)
{
    CGRect extent = view.bounds();
    if (view.clipsToBounds())
        return extent;
    if (auto* imageView = dynamic_cast<const UIImageView*>(&view)) {
        int mode = imageView->contentMode();
        if (imageView->image() && (mode == UIViewContentModeScaleAspectFill || mode == UIViewContentModeCenter))
            return std::nullopt;
    }
    for (const auto& subview : view.subviews()) {
        if (!subview || subview->isHidden())
            continue;
        auto inner = subtreeExtent(*subview);
        if (!inner)
            return std::nullopt;
        CGPoint origin = subview->frame().origin;
        float minX = std::min(extent.minX(), inner->minX() + origin.x);
        float minY = std::min(extent.minY(), inner->minY() + origin.y);
        float maxX = std::max(extent.maxX(), inner->maxX() + origin.x);
        float maxY = std::max(extent.maxY(), inner->maxY() + origin.y);
        extent = CGRectMake(minX, minY, maxX - minX, maxY - minY);
    }
    return extent;
}

}
