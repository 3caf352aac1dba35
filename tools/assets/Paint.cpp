#include "tools/assets/Paint.h"

#include <cmath>

namespace assets {

void setColour(cairo_t* cr, Rgb colour, double alpha)
{
    cairo_set_source_rgba(cr, colour.r, colour.g, colour.b, alpha);
}

void addStops(cairo_pattern_t* pattern, std::initializer_list<Stop> stops)
{
    for (const Stop& stop : stops)
        cairo_pattern_add_color_stop_rgba(pattern, stop.offset, stop.colour.r, stop.colour.g, stop.colour.b, stop.alpha);
}

void fillVertical(cairo_t* cr, double x, double y, double w, double h, std::initializer_list<Stop> stops)
{
    Pattern pattern { cairo_pattern_create_linear(0, y, 0, y + h) };
    addStops(pattern.get(), stops);
    cairo_rectangle(cr, x, y, w, h);
    cairo_set_source(cr, pattern.get());
    cairo_fill(cr);
}

void fillGlow(cairo_t* cr, double cx, double cy, double radius, double reach, Rgb colour, double alpha)
{
    Pattern pattern { cairo_pattern_create_radial(cx, cy, radius, cx, cy, reach) };
    addStops(pattern.get(), { { 0, colour, alpha }, { 1, colour, 0 } });
    cairo_set_source(cr, pattern.get());
    cairo_arc(cr, cx, cy, reach, 0, 2 * pi);
    cairo_fill(cr);
}

void fillDisc(cairo_t* cr, double cx, double cy, double radius, Rgb colour, double alpha)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, radius, 0, 2 * pi);
    setColour(cr, colour, alpha);
    cairo_fill(cr);
}

void addRoundedRect(cairo_t* cr, double x, double y, double w, double h, double r)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -pi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, pi / 2);
    cairo_arc(cr, x + r, y + h - r, r, pi / 2, pi);
    cairo_arc(cr, x + r, y + r, r, pi, 3 * pi / 2);
    cairo_close_path(cr);
}

void fillRidge(cairo_t* cr, double w, double h, double base, double amplitude, double waves, double phase, Rgb colour)
{
    constexpr int steps = 120;
    cairo_move_to(cr, 0, h);
    for (int i = 0; i <= steps; ++i) {
        const double t = static_cast<double>(i) / steps;
        const double wave = 0.65 * std::sin(2 * pi * waves * t + phase) + 0.35 * std::sin(2 * pi * waves * 2.3 * t + phase * 1.7);
        cairo_line_to(cr, w * t, base - amplitude * wave);
    }
    cairo_line_to(cr, w, h);
    cairo_close_path(cr);
    setColour(cr, colour);
    cairo_fill(cr);
}

void addRange(cairo_t* cr, double w, double h, std::initializer_list<Point> peaks)
{
    cairo_move_to(cr, 0, h);
    for (const Point& peak : peaks)
        cairo_line_to(cr, peak.x * w, peak.y * h);
    cairo_line_to(cr, w, h);
    cairo_close_path(cr);
}

}
