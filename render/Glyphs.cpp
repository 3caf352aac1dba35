#include "render/Glyphs.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orvessa {

namespace {

// A triangle `width` wide and `height` high with its flat side at x = base, pointing the way `direction` (+1 or -1) says.
void triangle(cairo_t* cr, double base, double centreY, double width, double height, double direction)
{
    cairo_move_to(cr, base, centreY - height / 2);
    cairo_line_to(cr, base + direction * width, centreY);
    cairo_line_to(cr, base, centreY + height / 2);
    cairo_close_path(cr);
}

}

bool barItemGlyph(cairo_t* cr, UIBarButtonSystemItem item, CGPoint centre)
{
    const double x = centre.x;
    const double y = centre.y;
    switch (item) {
    case UIBarButtonSystemItemPlay:
        // The visual centre of a triangle sits left of its box's centre; shift it a little right.
        triangle(cr, x - 6, y, 14, 17, 1);
        break;
    case UIBarButtonSystemItemPause:
        cairo_rectangle(cr, x - 7.5, y - 8, 5, 16);
        cairo_rectangle(cr, x + 2.5, y - 8, 5, 16);
        break;
    case UIBarButtonSystemItemRewind:
        triangle(cr, x, y, 10, 13, -1);
        triangle(cr, x + 10, y, 10, 13, -1);
        break;
    case UIBarButtonSystemItemFastForward:
        triangle(cr, x, y, 10, 13, 1);
        triangle(cr, x - 10, y, 10, 13, 1);
        break;
    case UIBarButtonSystemItemFlexibleSpace:
        return false;
    }
    cairo_fill(cr);
    return true;
}

void infoGlyph(cairo_t* cr, CGRect box)
{
    // Laid out on a 16-point grid and scaled to the box, so a small button keeps its proportions.
    const double size = std::min(box.size.width, box.size.height);
    const double unit = size / 16;
    const double cx = box.origin.x + box.size.width / 2.0;
    const double cy = box.origin.y + box.size.height / 2.0;

    cairo_save(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, 7.2 * unit, 0, 2 * std::numbers::pi);
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, 5.7 * unit, 0, 2 * std::numbers::pi);
    cairo_fill(cr);

    // The dot, then the stem with a short foot, as a serif "i".
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy - 3.1 * unit, 1.15 * unit, 0, 2 * std::numbers::pi);
    cairo_fill(cr);
    cairo_rectangle(cr, cx - 0.9 * unit, cy - 1.2 * unit, 1.8 * unit, 5.0 * unit);
    cairo_rectangle(cr, cx - 1.8 * unit, cy + 3.0 * unit, 3.6 * unit, 0.8 * unit);
    cairo_rectangle(cr, cx - 1.8 * unit, cy - 1.2 * unit, 0.9 * unit, 0.7 * unit);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    cairo_fill(cr);
    cairo_restore(cr);
}

}
