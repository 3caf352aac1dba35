#include "tools/assets/Scenes.h"

#include "tools/assets/Paint.h"
#include "tools/assets/Random.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <vector>

namespace assets {

namespace {

void drawCloud(cairo_t* cr, double x, double y, double size)
{
    cairo_push_group(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    for (const Point& puff : { Point { 0, 0 }, Point { 0.9, -0.35 }, Point { 1.8, 0 }, Point { 0.9, 0.2 } }) {
        cairo_new_sub_path(cr);
        cairo_arc(cr, x + puff.x * size, y + puff.y * size, size * (puff.y < 0 ? 0.75 : 0.55), 0, 2 * pi);
        cairo_fill(cr);
    }
    cairo_pop_group_to_source(cr);
    cairo_paint_with_alpha(cr, 0.92);
}

void drawTree(cairo_t* cr, double x, double groundY, double size, Rgb crown)
{
    cairo_rectangle(cr, x - size * 0.08, groundY - size * 0.9, size * 0.16, size * 0.95);
    setColour(cr, hex(0x5a3b22));
    cairo_fill(cr);
    fillDisc(cr, x, groundY - size * 1.15, size * 0.5, crown);
    fillDisc(cr, x - size * 0.28, groundY - size * 0.85, size * 0.32, crown);
    fillDisc(cr, x + size * 0.3, groundY - size * 0.88, size * 0.34, crown);
}

}

void drawGreenHills(cairo_t* cr, double w, double h)
{
    fillVertical(cr, 0, 0, w, h, { { 0, hex(0x3f8fe0) }, { 0.65, hex(0xa6d8f8) }, { 1, hex(0xa6d8f8) } });
    fillGlow(cr, w * 0.82, h * 0.2, h * 0.07, h * 0.25, hex(0xfff6c4), 0.7);
    fillDisc(cr, w * 0.82, h * 0.2, h * 0.07, hex(0xfff3b0));
    drawCloud(cr, w * 0.22, h * 0.25, h * 0.07);
    drawCloud(cr, w * 0.55, h * 0.14, h * 0.05);
    fillRidge(cr, w, h, h * 0.58, h * 0.05, 1.3, 0.4, hex(0x86c46e));
    fillRidge(cr, w, h, h * 0.7, h * 0.06, 1.1, 2.1, hex(0x54a24a));
    drawTree(cr, w * 0.7, h * 0.8, h * 0.11, hex(0x2f7f3a));
    drawTree(cr, w * 0.77, h * 0.82, h * 0.08, hex(0x3b8c40));
    fillRidge(cr, w, h, h * 0.86, h * 0.05, 0.9, 4.0, hex(0x2f7a35));
}

void drawNightMountains(cairo_t* cr, double w, double h)
{
    fillVertical(cr, 0, 0, w, h, { { 0, hex(0x050b24) }, { 0.45, hex(0x1b2c5e) }, { 0.75, hex(0x3b5088) }, { 1, hex(0x3b5088) } });
    Random random { 0x5eed0004 };
    for (int i = 0; i < 170; ++i) {
        const double x = random.next() * w;
        const double y = random.next() * random.next() * h * 0.7;
        const double radius = random.between(0.8, 2.8) * h / 1200;
        fillDisc(cr, x, y, radius, hex(0xf2f4ff), random.between(0.45, 1));
    }

    // A crescent: the moon with a disc cleared out of it, then a faint glow behind.
    const double mx = w * 0.8;
    const double my = h * 0.2;
    const double mr = h * 0.07;
    fillGlow(cr, mx, my, mr, mr * 3.5, hex(0xbcc8ff), 0.25);
    cairo_push_group(cr);
    fillDisc(cr, mx, my, mr, hex(0xf4f1dc));
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    fillDisc(cr, mx + mr * 0.45, my - mr * 0.25, mr * 0.88, hex(0));
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_pop_group_to_source(cr);
    cairo_paint(cr);

    addRange(cr, w, h * 0.8,
        { { 0, 0.62 }, { 0.12, 0.48 }, { 0.22, 0.56 }, { 0.36, 0.4 }, { 0.5, 0.55 }, { 0.63, 0.44 }, { 0.78, 0.58 }, { 0.9, 0.5 }, { 1, 0.57 } });
    setColour(cr, hex(0x2b3b6b));
    cairo_fill(cr);

    // The front range gets a snow cap on each peak, reaching a third of the way down its slopes.
    const std::vector<Point> front { { 0, 0.78 }, { 0.16, 0.6 }, { 0.3, 0.74 }, { 0.46, 0.52 }, { 0.62, 0.72 }, { 0.8, 0.58 }, { 1, 0.76 } };
    cairo_move_to(cr, 0, h * 0.8);
    for (const Point& peak : front)
        cairo_line_to(cr, peak.x * w, peak.y * h * 0.8);
    cairo_line_to(cr, w, h * 0.8);
    cairo_close_path(cr);
    setColour(cr, hex(0x18224a));
    cairo_fill(cr);
    for (std::size_t i = 1; i + 1 < front.size(); ++i) {
        if (front[i].y > front[i - 1].y || front[i].y > front[i + 1].y)
            continue;
        const Point top { front[i].x * w, front[i].y * h * 0.8 };
        const Point left { front[i - 1].x * w, front[i - 1].y * h * 0.8 };
        const Point right { front[i + 1].x * w, front[i + 1].y * h * 0.8 };
        auto along = [&top](const Point& to, double t) { return Point { top.x + (to.x - top.x) * t, top.y + (to.y - top.y) * t }; };
        const Point l1 = along(left, 0.4);
        const Point r1 = along(right, 0.36);
        const Point l2 = along(left, 0.26);
        const Point r2 = along(right, 0.24);
        const double dip = h * 0.025;
        cairo_move_to(cr, top.x, top.y);
        cairo_line_to(cr, l1.x, l1.y);
        cairo_line_to(cr, (l1.x + top.x) / 2 + (l2.x - l1.x) * 0.2, l2.y + dip);
        cairo_line_to(cr, top.x, l2.y + dip * 0.3);
        cairo_line_to(cr, (r2.x + top.x) / 2, r2.y + dip);
        cairo_line_to(cr, r1.x, r1.y);
        cairo_close_path(cr);
    }
    setColour(cr, hex(0xdce6f5));
    cairo_fill(cr);

    // A still lake with the moon's light on it.
    fillVertical(cr, 0, h * 0.8, w, h * 0.2, { { 0, hex(0x2a3c70) }, { 1, hex(0x0d1433) } });
    for (int i = 0; i < 9; ++i) {
        const double t = i / 8.0;
        const double half = w * (0.02 + 0.05 * t);
        addRoundedRect(cr, mx - half, h * (0.815 + 0.02 * i), 2 * half, h * 0.006, h * 0.003);
        setColour(cr, hex(0xe8ecff), 0.55 - 0.4 * t);
        cairo_fill(cr);
    }
}

void drawDesert(cairo_t* cr, double w, double h)
{
    fillVertical(cr, 0, 0, w, h, { { 0, hex(0xffa98f) }, { 0.6, hex(0xffe3b8) }, { 1, hex(0xffe3b8) } });
    const double sx = w * 0.3;
    const double sy = h * 0.42;
    const double sr = h * 0.16;
    for (int ring = 3; ring >= 1; --ring)
        fillDisc(cr, sx, sy, sr * (1 + 0.18 * ring), hex(0xff8a5c), 0.12);
    fillDisc(cr, sx, sy, sr, hex(0xff6f4a));
    fillRidge(cr, w, h, h * 0.64, h * 0.05, 0.8, 0.5, hex(0xf2a65a));
    fillRidge(cr, w, h, h * 0.76, h * 0.06, 0.7, 2.6, hex(0xe07b39));

    // A cactus of thick round-capped strokes.
    const double cx = w * 0.74;
    const double ground = h * 0.79;
    const double unit = h * 0.05;
    cairo_move_to(cr, cx, ground);
    cairo_line_to(cr, cx, ground - unit * 5);
    cairo_move_to(cr, cx, ground - unit * 2);
    cairo_line_to(cr, cx - unit * 1.4, ground - unit * 2);
    cairo_line_to(cr, cx - unit * 1.4, ground - unit * 3.4);
    cairo_move_to(cr, cx, ground - unit * 2.8);
    cairo_line_to(cr, cx + unit * 1.3, ground - unit * 2.8);
    cairo_line_to(cr, cx + unit * 1.3, ground - unit * 4.1);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, unit * 0.9);
    setColour(cr, hex(0x3e7d5a));
    cairo_stroke(cr);

    fillRidge(cr, w, h, h * 0.88, h * 0.04, 0.6, 4.2, hex(0xb8542a));
}

void drawAutumnForest(cairo_t* cr, double w, double h)
{
    fillVertical(cr, 0, 0, w, h, { { 0, hex(0xf8ecd2) }, { 0.55, hex(0xf3c98b) }, { 1, hex(0xf3c98b) } });
    fillGlow(cr, w * 0.72, h * 0.3, h * 0.09, h * 0.3, hex(0xfff1c9), 0.8);
    fillDisc(cr, w * 0.72, h * 0.3, h * 0.09, hex(0xfff6dc));
    // A few birds, each two arcs.
    for (const Point& bird : { Point { 0.36, 0.2 }, Point { 0.42, 0.16 }, Point { 0.47, 0.23 }, Point { 0.31, 0.27 } }) {
        const double span = h * 0.022;
        cairo_new_sub_path(cr);
        cairo_arc(cr, bird.x * w - span, bird.y * h + span * 0.6, span, 1.2 * pi, 1.85 * pi);
        cairo_new_sub_path(cr);
        cairo_arc(cr, bird.x * w + span, bird.y * h + span * 0.6, span, 1.15 * pi, 1.8 * pi);
    }
    cairo_set_line_width(cr, h * 0.005);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    setColour(cr, hex(0x6b4a3a));
    cairo_stroke(cr);
    fillRidge(cr, w, h, h * 0.55, h * 0.04, 1.2, 0.9, hex(0xcf9a6a));
    const std::array<Rgb, 4> crowns { hex(0xd94f2b), hex(0xf08a24), hex(0xf4c430), hex(0xb5381f) };
    Random random { 0x5eed0006 };
    for (int row = 0; row < 3; ++row) {
        const double ground = h * (0.62 + 0.1 * row);
        const double size = h * (0.08 + 0.045 * row);
        const int count = 11 - 3 * row;
        for (int i = 0; i < count; ++i) {
            const double x = w * (i + random.between(0.2, 0.8)) / count;
            const auto pick = static_cast<std::size_t>(random.next() * static_cast<double>(crowns.size()));
            drawTree(cr, x, ground + random.between(-0.01, 0.01) * h, size * random.between(0.85, 1.15), crowns[std::min(pick, crowns.size() - 1)]);
        }
        fillRidge(cr, w, h, ground + h * 0.01, h * 0.008, 2, row * 1.7, row == 2 ? hex(0x6e4226) : hex(0x8a5a34));
    }
}

void drawLavenderField(cairo_t* cr, double w, double h)
{
    const double horizon = h * 0.52;
    fillVertical(cr, 0, 0, w, horizon, { { 0, hex(0x5f6fd0) }, { 0.7, hex(0xe9b9d8) }, { 1, hex(0xfbd5c4) } });
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, w, horizon);
    cairo_clip(cr);
    fillGlow(cr, w * 0.5, horizon, h * 0.08, h * 0.3, hex(0xfff0c2), 0.6);
    fillDisc(cr, w * 0.5, horizon + h * 0.03, h * 0.08, hex(0xfff0c2));
    cairo_restore(cr);

    // Rows of lavender run to a point on the horizon.
    cairo_rectangle(cr, 0, horizon, w, h - horizon);
    setColour(cr, hex(0x4a2f73));
    cairo_fill(cr);
    const double spread = w * 0.16;
    for (int i = -14; i <= 14; ++i) {
        cairo_move_to(cr, w * 0.5 + i * w * 0.004, horizon);
        cairo_line_to(cr, w * 0.5 + (i - 0.3) * spread, h + h * 0.5);
        cairo_line_to(cr, w * 0.5 + (i + 0.3) * spread, h + h * 0.5);
        cairo_close_path(cr);
    }
    Pattern rows { cairo_pattern_create_linear(0, horizon, 0, h) };
    addStops(rows.get(), { { 0, hex(0x8d6cc4) }, { 1, hex(0xa77be0) } });
    cairo_set_source(cr, rows.get());
    cairo_fill(cr);
    drawTree(cr, w * 0.16, horizon + h * 0.005, h * 0.07, hex(0x3c3558));
}

void drawWinter(cairo_t* cr, double w, double h)
{
    fillVertical(cr, 0, 0, w, h, { { 0, hex(0x8fa9c8) }, { 0.6, hex(0xe7eef5) }, { 1, hex(0xe7eef5) } });
    fillRidge(cr, w, h, h * 0.6, h * 0.05, 1.1, 1.2, hex(0xd3deeb));
    const auto pine = [cr](double x, double ground, double size) {
        cairo_rectangle(cr, x - size * 0.06, ground - size * 0.2, size * 0.12, size * 0.25);
        setColour(cr, hex(0x4b3526));
        cairo_fill(cr);
        for (int tier = 0; tier < 3; ++tier) {
            const double bottom = ground - size * (0.15 + 0.28 * tier);
            const double half = size * (0.42 - 0.1 * tier);
            cairo_move_to(cr, x - half, bottom);
            cairo_line_to(cr, x, bottom - size * 0.45);
            cairo_line_to(cr, x + half, bottom);
            cairo_close_path(cr);
        }
        setColour(cr, hex(0x1f4d3a));
        cairo_fill(cr);
    };
    for (int i = 0; i < 6; ++i)
        pine(w * (0.08 + 0.085 * i), h * (0.66 + 0.012 * (i % 3)), h * (0.14 + 0.02 * (i % 2)));
    fillRidge(cr, w, h, h * 0.76, h * 0.04, 0.8, 3.3, hex(0xf5f8fc));
    pine(w * 0.8, h * 0.82, h * 0.3);
    pine(w * 0.9, h * 0.85, h * 0.22);
    Random random { 0x5eed0102 };
    for (int i = 0; i < 220; ++i)
        fillDisc(cr, random.next() * w, random.next() * h, random.between(1.5, 5) * h / 1200, hex(0xffffff), random.between(0.5, 0.95));
}

}
