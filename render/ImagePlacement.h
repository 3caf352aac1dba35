#pragma once

#include "platform/Geometry.h"

#include <optional>

class UIView;

namespace orvessa {

// Where the renderer puts an image, in points and in device pixels, without cairo: the frame drawer
// and a host that decodes images ahead of their first draw must agree on the size to the pixel.

// A rectangle in device space, in whole pixels.
struct PixelRect {
    int x { 0 };
    int y { 0 };
    int width { 0 };
    int height { 0 };
};

// Where an image of `size` lands in `bounds` by the content mode.
CGRect drawnRect(CGSize size, CGRect bounds, int contentMode);

// What the renderer's transformation holds while it draws a view: the device position of the view's
// origin and the pixels per point. Only scaling and translation: no view is rotated.
struct DevicePlacement {
    double originX { 0 };
    double originY { 0 };
    double scale { 1 };
};

// The placement the renderer gives `view` when it draws the window the view is in at `scale`, summed
// as the renderer's transformation sums it (the window's origin out, then each frame's origin in, from
// the window down), so that it is equal to the last bit. Nothing for a view in no window.
std::optional<DevicePlacement> devicePlacement(const UIView&, float scale);

// The device pixels an image of `size` points covers in a view with `bounds` and `contentMode` at
// `placement`: its drawnRect with each edge rounded to the nearest pixel boundary. The renderer asks
// the image for pixels of exactly this rectangle's size.
PixelRect drawnImagePixels(CGSize size, CGRect bounds, int contentMode, const DevicePlacement&);

}
