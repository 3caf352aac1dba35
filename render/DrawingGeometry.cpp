#include "render/DrawingGeometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orvessa {

float clampedAlpha(float alpha)
{
    return std::isfinite(alpha) ? std::clamp(alpha, 0.0f, 1.0f) : 0.0f;
}

void roundedRectangle(cairo_t* cr, CGRect rect, double radius)
{
    double x = rect.origin.x;
    double y = rect.origin.y;
    double w = rect.size.width;
    double h = rect.size.height;
    radius = std::min({ radius, w / 2, h / 2 });
    if (!(radius > 0)) {
        cairo_rectangle(cr, x, y, w, h);
        return;
    }
    constexpr double quarter = std::numbers::pi / 2;
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - radius, y + radius, radius, -quarter, 0);
    cairo_arc(cr, x + w - radius, y + h - radius, radius, 0, quarter);
    cairo_arc(cr, x + radius, y + h - radius, radius, quarter, 2 * quarter);
    cairo_arc(cr, x + radius, y + radius, radius, 2 * quarter, 3 * quarter);
    cairo_close_path(cr);
}

void setColour(cairo_t* cr, const UIColor& colour, double alpha)
{
    cairo_set_source_rgba(cr, colour.red, colour.green, colour.blue, colour.alpha * alpha);
}

PixelRect devicePixels(cairo_t* cr, CGRect rect)
{
    double x0 = rect.minX(), y0 = rect.minY(), x1 = rect.maxX(), y1 = rect.maxY();
    cairo_user_to_device(cr, &x0, &y0);
    cairo_user_to_device(cr, &x1, &y1);
    auto pixel = [](double v) { return int(std::lround(std::clamp(v, -1e8, 1e8))); };
    int left = pixel(std::min(x0, x1)), right = pixel(std::max(x0, x1));
    int top = pixel(std::min(y0, y1)), bottom = pixel(std::max(y0, y1));
    return { left, top, right - left, bottom - top };
}

DevicePlacement devicePlacement(cairo_t* cr)
{
    cairo_matrix_t matrix;
    cairo_get_matrix(cr, &matrix);
    return { matrix.x0, matrix.y0, matrix.xx };
}

}
