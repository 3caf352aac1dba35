#include "tools/assets/WidgetPictures.h"

#include "tools/assets/Canvas.h"
#include "tools/assets/Encoding.h"
#include "tools/assets/Lettering.h"
#include "tools/assets/Paint.h"

#include <string_view>

namespace assets {

namespace {

constexpr double emptyWidth = 320;
constexpr double emptyHeight = 200;

Bytes drawEmpty(int scale)
{
    Canvas canvas = makeScaledCanvas(static_cast<int>(emptyWidth), static_cast<int>(emptyHeight), scale, true);
    cairo_t* cr = canvas.cr.get();
    fillVertical(cr, 0, 0, emptyWidth, emptyHeight, { { 0, hex(0x262b33) }, { 1, hex(0x15181d) } });

    // A framed landscape: the usual sign for "a picture goes here".
    const Rgb ink = hex(0x8c95a5);
    const double frameW = 86;
    const double frameH = 62;
    const double frameX = (emptyWidth - frameW) / 2;
    const double frameY = 44;
    cairo_save(cr);
    addRoundedRect(cr, frameX, frameY, frameW, frameH, 7);
    cairo_clip_preserve(cr);
    setColour(cr, hex(0x1c2027));
    cairo_fill(cr);
    cairo_move_to(cr, frameX, frameY + frameH);
    cairo_line_to(cr, frameX + 26, frameY + 30);
    cairo_line_to(cr, frameX + 42, frameY + 46);
    cairo_line_to(cr, frameX + 58, frameY + 24);
    cairo_line_to(cr, frameX + frameW, frameY + frameH - 4);
    cairo_line_to(cr, frameX + frameW, frameY + frameH);
    cairo_close_path(cr);
    setColour(cr, hex(0x5d6676));
    cairo_fill(cr);
    fillDisc(cr, frameX + 24, frameY + 17, 7, ink);
    cairo_restore(cr);
    addRoundedRect(cr, frameX, frameY, frameW, frameH, 7);
    cairo_set_line_width(cr, 3);
    setColour(cr, ink);
    cairo_stroke(cr);

    const std::string_view label = "No photos";
    const double cap = 15;
    setColour(cr, hex(0xa3acba));
    strokeText(cr, label, (emptyWidth - textWidth(label, cap)) / 2, 128, cap, 2.1);
    return encodePng(canvas);
}

constexpr double buttonSize = 24;

enum class ButtonGlyph {
    Message,
    People,
};

Bytes drawButton(ButtonGlyph glyph, int scale)
{
    Canvas canvas = makeScaledCanvas(static_cast<int>(buttonSize), static_cast<int>(buttonSize), scale, false);
    cairo_t* cr = canvas.cr.get();
    const bool message = glyph == ButtonGlyph::Message;
    const Rgb top = message ? hex(0x5aaeea) : hex(0x5a6fc0);
    const Rgb bottom = message ? hex(0x2d7fc4) : hex(0x34428a);

    addRoundedRect(cr, 1, 1, buttonSize - 2, buttonSize - 2, 5);
    Pattern fill { cairo_pattern_create_linear(0, 1, 0, buttonSize - 1) };
    addStops(fill.get(), { { 0, top }, { 1, bottom } });
    cairo_set_source(cr, fill.get());
    cairo_fill_preserve(cr);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.25);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);

    if (message) {
        // A speech bubble with a tail at the lower left and three dots.
        addRoundedRect(cr, 5.5, 6, 13, 9.5, 3.5);
        cairo_move_to(cr, 8, 14);
        cairo_line_to(cr, 7.5, 18.5);
        cairo_line_to(cr, 12, 14.5);
        cairo_close_path(cr);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_fill(cr);
        for (double x : { 9.0, 12.0, 15.0 })
            fillDisc(cr, x, 10.75, 1.1, bottom);
    } else {
        // Two people, the one in front cut out of the one behind by a ring of the button colour.
        auto addPerson = [cr](double cx, double headY, double headR, double shoulderW, double bottomY) {
            cairo_new_sub_path(cr);
            cairo_arc(cr, cx, headY, headR, 0, 2 * pi);
            cairo_close_path(cr);
            cairo_new_sub_path(cr);
            cairo_save(cr);
            cairo_translate(cr, cx, bottomY);
            cairo_scale(cr, shoulderW / 2, bottomY - headY - headR - 0.9);
            cairo_arc(cr, 0, 0, 1, pi, 2 * pi);
            cairo_restore(cr);
            cairo_close_path(cr);
        };
        addPerson(9, 9.2, 2.6, 8.5, 16.5);
        cairo_set_source_rgba(cr, 1, 1, 1, 0.72);
        cairo_fill(cr);
        addPerson(14.5, 9.5, 3, 10, 18.5);
        setColour(cr, hex(0x46579f));
        cairo_set_line_width(cr, 1.6);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke_preserve(cr);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_fill(cr);
    }
    return encodePng(canvas);
}

}

void writeWidgetPictures(AssetWriter& out)
{
    const std::filesystem::path bundle = "Orvessa.bundle";
    for (int scale : { 1, 2, 3 }) {
        out.make(bundle / scaledName("empty", scale), [scale] { return drawEmpty(scale); });
        out.make(bundle / scaledName("twitter", scale), [scale] { return drawButton(ButtonGlyph::Message, scale); });
        out.make(bundle / scaledName("facebook", scale), [scale] { return drawButton(ButtonGlyph::People, scale); });
    }
}

}
