#include "render/ViewRecord.h"

#include "platform/ImageView.h"
#include "render/DrawingGeometry.h"

#include <algorithm>

namespace orvessa {

namespace {

ViewContent contentOf(const UIView& view)
{
    if (auto* imageView = dynamic_cast<const UIImageView*>(&view))
        return ImageContent { ImageReference(imageView->image()), imageView->contentMode() };
    if (auto* button = dynamic_cast<const UIButton*>(&view)) {
        ButtonContent content { button->buttonType(), button->isHighlighted(), {} };
        if (content.type == UIButtonTypeCustom)
            content.image = ImageReference(button->imageForState(content.highlighted ? UIControlStateHighlighted : UIControlStateNormal));
        return content;
    }
    if (auto* toolbar = dynamic_cast<const UIToolbar*>(&view))
        return ToolbarContent { toolbar->barStyle(), toolbar->isTranslucent() };
    if (auto* barButton = dynamic_cast<const UIToolbarButton*>(&view)) {
        BarItemContent content { std::nullopt, barButton->isHighlighted() };
        if (auto item = barButton->item())
            content.item = item->systemItem();
        return content;
    }
    return PlainContent {};
}

// The extent of a view and its subviews that are not hidden, in the view's own coordinates, for
// sizing a group; nothing when content may spill out without limit (images that overflow a view that
// does not clip).
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

void recordSubtree(const UIView& view, int depth, TimeInterval now, std::vector<ViewRecord>& records)
{
    if (view.isHidden())
        return;
    float alpha = clampedAlpha(view.presentationAlpha(now));
    if (alpha < kInvisibleAlpha)
        return;
    ViewRecord record;
    record.depth = depth;
    record.frame = view.frame();
    record.alpha = alpha;
    record.animating = alpha != clampedAlpha(view.alpha());
    record.hasSubviews = !view.subviews().empty();
    record.background = view.backgroundColor();
    record.cornerRadius = view.layer().cornerRadius;
    record.masksToBounds = view.layer().masksToBounds;
    if (drawsAsGroup(record))
        record.groupClip = subtreeExtent(view);
    record.content = contentOf(view);
    records.push_back(std::move(record));
    for (const auto& subview : view.subviews()) {
        if (subview)
            recordSubtree(*subview, depth + 1, now, records);
    }
}

}

std::vector<ViewRecord> recordViews(const UIView& window, TimeInterval now)
{
    std::vector<ViewRecord> records;
    recordSubtree(window, 0, now, records);
    return records;
}

bool drawsAsGroup(const ViewRecord& record)
{
    return record.hasSubviews && record.alpha < 1;
}

std::size_t settledViewCount(const std::vector<ViewRecord>& records)
{
    auto changing = std::find_if(records.begin(), records.end(), [](const ViewRecord& record) { return record.animating || drawsAsGroup(record); });
    return std::size_t(changing - records.begin());
}

}
