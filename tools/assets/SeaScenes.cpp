#include "tools/assets/Scenes.h"

#include "tools/assets/Lettering.h"
#include "tools/assets/Paint.h"

namespace assets {

void drawSunsetSea(cairo_t* cr, double w, double h)
{
    const double horizon = h * 0.62;
    fillVertical(cr, 0, 0, w, horizon,
        { { 0, hex(0x2b1b4f) }, { 0.45, hex(0x8e3b6e) }, { 0.8, hex(0xf0774a) }, { 1, hex(0xffc46b) } });
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, w, horizon);
    cairo_clip(cr);
    fillGlow(cr, w * 0.62, horizon, h * 0.11, h * 0.4, hex(0xffd27a), 0.55);
    fillDisc(cr, w * 0.62, horizon + h * 0.025, h * 0.11, hex(0xffe6a3));
    cairo_restore(cr);

    // A low island on the horizon at the left.
    cairo_move_to(cr, 0, horizon);
    cairo_line_to(cr, 0, horizon - h * 0.05);
    cairo_curve_to(cr, w * 0.08, horizon - h * 0.09, w * 0.16, horizon - h * 0.1, w * 0.22, horizon - h * 0.04);
    cairo_curve_to(cr, w * 0.26, horizon - h * 0.015, w * 0.3, horizon - h * 0.01, w * 0.34, horizon);
    cairo_close_path(cr);
    setColour(cr, hex(0x3a1e3f));
    cairo_fill(cr);

    fillVertical(cr, 0, horizon, w, h - horizon, { { 0, hex(0xc8674f) }, { 0.35, hex(0x4a2f62) }, { 1, hex(0x1a1638) } });

    // The sun's path on the water: streaks that widen and fade towards the viewer.
    for (int i = 0; i < 16; ++i) {
        const double t = i / 15.0;
        const double y = horizon + h * 0.012 + (h - horizon) * 0.9 * t * t + h * 0.01 * t;
        const double half = w * (0.07 + 0.1 * t) * (i % 2 ? 0.7 : 1.0);
        addRoundedRect(cr, w * 0.62 - half, y, 2 * half, h * 0.008 + h * 0.01 * t, h * 0.004);
        setColour(cr, hex(0xffd68a), 0.75 - 0.55 * t);
        cairo_fill(cr);
    }
}

void drawLighthouse(cairo_t* cr, double w, double h)
{
    const double horizon = h * 0.6;
    fillVertical(cr, 0, 0, w, horizon, { { 0, hex(0x0f5f74) }, { 1, hex(0x9fdcd2) } });
    fillVertical(cr, 0, horizon, w, h - horizon, { { 0, hex(0x2a79a0) }, { 1, hex(0x0c3552) } });
    for (int i = 0; i < 7; ++i) {
        const double y = horizon + (h - horizon) * (0.1 + 0.13 * i);
        cairo_move_to(cr, w * (0.05 + 0.07 * (i % 3)), y);
        cairo_line_to(cr, w * (0.3 + 0.06 * (i % 2)), y);
    }
    cairo_set_source_rgba(cr, 1, 1, 1, 0.25);
    cairo_set_line_width(cr, h * 0.004);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(cr);

    // The cliff rises from the water on the right.
    cairo_move_to(cr, w * 0.42, h);
    cairo_curve_to(cr, w * 0.48, h * 0.8, w * 0.5, h * 0.68, w * 0.56, h * 0.64);
    cairo_line_to(cr, w, h * 0.62);
    cairo_line_to(cr, w, h);
    cairo_close_path(cr);
    setColour(cr, hex(0x3f3a35));
    cairo_save(cr);
    cairo_fill_preserve(cr);
    cairo_clip(cr);
    fillRidge(cr, w, h * 0.66, h * 0.645, h * 0.006, 3, 1, hex(0x5c8a4a));
    cairo_restore(cr);

    // A striped tower with its lamp lit.
    const double baseY = h * 0.645;
    const double topY = h * 0.3;
    const double cx = w * 0.74;
    const double baseHalf = w * 0.065;
    const double topHalf = w * 0.045;
    cairo_save(cr);
    cairo_move_to(cr, cx - baseHalf, baseY);
    cairo_line_to(cr, cx - topHalf, topY);
    cairo_line_to(cr, cx + topHalf, topY);
    cairo_line_to(cr, cx + baseHalf, baseY);
    cairo_close_path(cr);
    cairo_clip(cr);
    for (int band = 0; band < 6; ++band) {
        cairo_rectangle(cr, 0, topY + (baseY - topY) * band / 6.0, w, (baseY - topY) / 6.0 + 1);
        setColour(cr, band % 2 ? hex(0xf4f1ea) : hex(0xc8382f));
        cairo_fill(cr);
    }
    cairo_restore(cr);
    cairo_rectangle(cr, cx - topHalf * 1.3, topY - h * 0.008, topHalf * 2.6, h * 0.012);
    setColour(cr, hex(0x2b2b2b));
    cairo_fill(cr);
    const double lampY = topY - h * 0.035;
    Pattern beam { cairo_pattern_create_radial(cx, lampY, 0, cx, lampY, w * 0.7) };
    addStops(beam.get(), { { 0, hex(0xfff4b8), 0.55 }, { 1, hex(0xfff4b8), 0 } });
    cairo_move_to(cr, cx, lampY);
    cairo_line_to(cr, cx - w * 0.75, lampY - h * 0.07);
    cairo_line_to(cr, cx - w * 0.75, lampY + h * 0.03);
    cairo_close_path(cr);
    cairo_set_source(cr, beam.get());
    cairo_fill(cr);
    cairo_rectangle(cr, cx - topHalf * 0.8, lampY - h * 0.02, topHalf * 1.6, h * 0.045);
    setColour(cr, hex(0xffe27a));
    cairo_fill(cr);
    cairo_move_to(cr, cx - topHalf * 1.1, lampY - h * 0.02);
    cairo_line_to(cr, cx, lampY - h * 0.06);
    cairo_line_to(cr, cx + topHalf * 1.1, lampY - h * 0.02);
    cairo_close_path(cr);
    setColour(cr, hex(0x2b2b2b));
    cairo_fill(cr);

    // An arrow and the word, so a viewer can tell at once whether the orientation was applied.
    const double ax = w * 0.28;
    const double tipY = h * 0.2;
    const double shaftBottom = h * 0.47;
    const double headH = h * 0.09;
    const double headHalf = w * 0.11;
    const double shaftHalf = w * 0.035;
    cairo_move_to(cr, ax, tipY);
    cairo_line_to(cr, ax + headHalf, tipY + headH);
    cairo_line_to(cr, ax + shaftHalf, tipY + headH);
    cairo_line_to(cr, ax + shaftHalf, shaftBottom);
    cairo_line_to(cr, ax - shaftHalf, shaftBottom);
    cairo_line_to(cr, ax - shaftHalf, tipY + headH);
    cairo_line_to(cr, ax - headHalf, tipY + headH);
    cairo_close_path(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, w * 0.012);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.35);
    cairo_stroke_preserve(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_fill(cr);
    const double cap = h * 0.06;
    const double textLine = cap * 0.17;
    const double textX = ax - textWidth("UP", cap) / 2;
    const double textY = shaftBottom + h * 0.03;
    cairo_set_source_rgba(cr, 0, 0, 0, 0.35);
    strokeText(cr, "UP", textX, textY, cap, textLine + w * 0.012);
    cairo_set_source_rgb(cr, 1, 1, 1);
    strokeText(cr, "UP", textX, textY, cap, textLine);
}

}
