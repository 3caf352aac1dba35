#include "render/ImagePlacement.h"

#include "platform/View.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace orvessa {

namespace {

// One coordinate through the placement, in the order cairo_user_to_device computes it.
double toDevice(double value, double scale, double origin)
{
    return scale * value + origin;
}

int nearestPixel(double value)
{
    return int(std::lround(std::clamp(value, -1e8, 1e8)));
}

}

CGRect drawnRect(CGSize size, CGRect bounds, int contentMode)
{
    float scaleX = bounds.size.width / size.width;
    float scaleY = bounds.size.height / size.height;
    auto centred = [&](float width, float height) {
        return CGRectMake(bounds.origin.x + (bounds.size.width - width) / 2, bounds.origin.y + (bounds.size.height - height) / 2, width, height);
    };
    switch (contentMode) {
    case UIViewContentModeScaleAspectFit: {
        float s = std::min(scaleX, scaleY);
        return centred(size.width * s, size.height * s);
    }
    case UIViewContentModeScaleAspectFill: {
        float s = std::max(scaleX, scaleY);
        return centred(size.width * s, size.height * s);
    }
    case UIViewContentModeCenter:
        return centred(size.width, size.height);
    default:
        return bounds;
    }
}

std::optional<DevicePlacement> devicePlacement(const UIView& view, float scale)
{
    std::vector<const UIView*> chain;
    for (const UIView* at = &view; at; at = at->superview())
        chain.push_back(at);
    if (!dynamic_cast<const UIWindow*>(chain.back()))
        return std::nullopt;
    // The renderer scales, moves the window's origin out, then moves each frame's origin in from the
    // window down; each move adds the offset times the scale to what is there.
    DevicePlacement placement { 0, 0, double(scale) };
    CGPoint windowOrigin = chain.back()->frame().origin;
    placement.originX = double(-windowOrigin.x) * placement.scale + placement.originX;
    placement.originY = double(-windowOrigin.y) * placement.scale + placement.originY;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        CGPoint origin = (*it)->frame().origin;
        placement.originX = double(origin.x) * placement.scale + placement.originX;
        placement.originY = double(origin.y) * placement.scale + placement.originY;
    }
    return placement;
}

PixelRect drawnImagePixels(CGSize size, CGRect bounds, int contentMode, const DevicePlacement& placement)
{
    CGRect rect = drawnRect(size, bounds, contentMode);
    double x0 = toDevice(rect.minX(), placement.scale, placement.originX);
    double x1 = toDevice(rect.maxX(), placement.scale, placement.originX);
    double y0 = toDevice(rect.minY(), placement.scale, placement.originY);
    double y1 = toDevice(rect.maxY(), placement.scale, placement.originY);
    int left = nearestPixel(std::min(x0, x1)), right = nearestPixel(std::max(x0, x1));
    int top = nearestPixel(std::min(y0, y1)), bottom = nearestPixel(std::max(y0, y1));
    return { left, top, right - left, bottom - top };
}

}
