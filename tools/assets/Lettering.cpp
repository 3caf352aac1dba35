#include "tools/assets/Lettering.h"

#include "tools/assets/Canvas.h"
#include "tools/assets/Paint.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace assets {

namespace {

// Lettering: a small monoline face. A glyph is strokes in a box one unit tall: cap height from 0 to
// 1 (the baseline), x-height from 0.4, descenders to 1.3. Only the characters we draw exist.

constexpr double letterSpacing = 0.24;

// Adds the glyph's path at the origin and answers its width.
double addGlyph(cairo_t* cr, char c)
{
    auto move = [cr](double x, double y) { cairo_move_to(cr, x, y); };
    auto line = [cr](double x, double y) { cairo_line_to(cr, x, y); };
    auto ring = [cr](double cx, double cy, double rx, double ry) {
        cairo_new_sub_path(cr);
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_scale(cr, rx, ry);
        cairo_arc(cr, 0, 0, 1, 0, 2 * pi);
        cairo_restore(cr);
        cairo_close_path(cr);
    };
    auto arc = [cr](double cx, double cy, double r, double from, double to) { cairo_arc(cr, cx, cy, r, from * pi, to * pi); };
    auto arcBack = [cr](double cx, double cy, double r, double from, double to) { cairo_arc_negative(cr, cx, cy, r, from * pi, to * pi); };
    auto lift = [cr] { cairo_new_sub_path(cr); };

    switch (c) {
    case '0':
        ring(0.3, 0.5, 0.3, 0.5);
        return 0.6;
    case '1':
        move(0.02, 0.2);
        line(0.3, 0);
        line(0.3, 1);
        return 0.32;
    case '2':
        lift();
        arc(0.3, 0.28, 0.28, 1.1, 2.25);
        line(0.02, 1);
        line(0.62, 1);
        return 0.62;
    case '3':
        lift();
        arc(0.3, 0.25, 0.25, 1.15, 2.5);
        arc(0.3, 0.75, 0.25, 1.5, 2.85);
        return 0.57;
    case '4':
        move(0.46, 1);
        line(0.46, 0);
        line(0, 0.68);
        line(0.62, 0.68);
        return 0.62;
    case '5':
        move(0.56, 0);
        line(0.12, 0);
        line(0.08, 0.47);
        arc(0.3, 0.68, 0.3, 1.22, 2.8);
        return 0.6;
    case '6':
        move(0.5, 0.03);
        cairo_curve_to(cr, 0.2, 0.1, 0.02, 0.4, 0.02, 0.7);
        ring(0.3, 0.7, 0.28, 0.28);
        return 0.58;
    case '7':
        move(0, 0);
        line(0.6, 0);
        line(0.2, 1);
        return 0.6;
    case '8':
        ring(0.3, 0.24, 0.22, 0.22);
        ring(0.3, 0.72, 0.28, 0.28);
        return 0.6;
    case '9':
        ring(0.3, 0.3, 0.28, 0.28);
        move(0.58, 0.3);
        cairo_curve_to(cr, 0.58, 0.6, 0.4, 0.9, 0.1, 0.97);
        return 0.58;
    case 'N':
        move(0, 1);
        line(0, 0);
        line(0.62, 1);
        line(0.62, 0);
        return 0.62;
    case 'P':
        move(0, 1);
        line(0, 0);
        line(0.28, 0);
        arc(0.28, 0.26, 0.26, 1.5, 2.5);
        line(0, 0.52);
        return 0.54;
    case 'U':
        move(0, 0);
        line(0, 0.68);
        arcBack(0.3, 0.68, 0.3, 1, 0);
        line(0.6, 0);
        return 0.6;
    case 'h':
        move(0, 0);
        line(0, 1);
        move(0, 0.68);
        arc(0.27, 0.68, 0.27, 1, 2);
        line(0.54, 1);
        return 0.54;
    case 'o':
        ring(0.3, 0.7, 0.3, 0.3);
        return 0.6;
    case 'p':
        move(0, 0.42);
        line(0, 1.3);
        ring(0.3, 0.7, 0.3, 0.3);
        return 0.6;
    case 's':
        lift();
        cairo_save(cr);
        cairo_scale(cr, 1.35, 1);
        arcBack(0.19, 0.55, 0.15, 1.85, 0.5);
        arc(0.19, 0.85, 0.15, 1.5, 2.85);
        cairo_restore(cr);
        return 0.46;
    case 't':
        move(0.16, 0.12);
        line(0.16, 0.84);
        arcBack(0.32, 0.84, 0.16, 1, 0.5);
        line(0.44, 1);
        move(0, 0.42);
        line(0.4, 0.42);
        return 0.44;
    case ' ':
        return 0.3;
    default:
        throw std::logic_error(std::string("no glyph for '") + c + "'");
    }
}

double glyphWidth(char c)
{
    // Measuring runs the same path code against a throwaway context, so the two cannot disagree.
    Surface scratch { cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1) };
    Context cr { cairo_create(scratch.get()) };
    return addGlyph(cr.get(), c);
}

}

double textWidth(std::string_view text, double capHeight)
{
    double width = 0;
    for (char c : text)
        width += glyphWidth(c) + letterSpacing;
    return text.empty() ? 0 : (width - letterSpacing) * capHeight;
}

void strokeText(cairo_t* cr, std::string_view text, double x, double top, double capHeight, double lineWidth)
{
    cairo_save(cr);
    cairo_new_path(cr);
    cairo_translate(cr, x, top);
    cairo_scale(cr, capHeight, capHeight);
    double pen = 0;
    for (char c : text) {
        cairo_save(cr);
        cairo_translate(cr, pen, 0);
        pen += addGlyph(cr, c) + letterSpacing;
        cairo_restore(cr);
    }
    cairo_restore(cr);
    cairo_save(cr);
    cairo_set_line_width(cr, lineWidth);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void drawPhotoNumber(cairo_t* cr, std::string_view label, double w, double h)
{
    const double cap = std::round(std::min(w, h) * 0.13);
    const double lineWidth = cap * 0.16;
    const double margin = std::min(w, h) * 0.045;
    const double padX = cap * 0.4;
    const double padY = cap * 0.32;
    const double tabWidth = textWidth(label, cap) + lineWidth + 2 * padX;
    const double tabHeight = cap + lineWidth + 2 * padY;
    addRoundedRect(cr, margin, margin, tabWidth, tabHeight, cap * 0.28);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.38);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    strokeText(cr, label, margin + padX + lineWidth / 2, margin + padY + lineWidth / 2, cap, lineWidth);
}

}
