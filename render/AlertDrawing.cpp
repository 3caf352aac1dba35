#include "render/AlertDrawing.h"

#include "render/AlertLayout.h"
#include "render/DrawingGeometry.h"
#include "render/TextLayout.h"

namespace orvessa {

std::optional<AlertRecord> recordTopmostAlert(const std::vector<std::shared_ptr<UIAlertView>>& alerts)
{
    if (alerts.empty() || !alerts.back())
        return std::nullopt;
    const UIAlertView& alert = *alerts.back();
    return AlertRecord { alert.title(), alert.message(), alert.buttonTitles() };
}

void drawAlert(cairo_t* cr, const AlertRecord& alert, CGSize window)
{
    AlertLayout layout = alertLayout(window, alert.buttonTitles.size());
    cairo_save(cr);

    cairo_set_source_rgba(cr, 0, 0, 0, 0.4);
    cairo_rectangle(cr, layout.dimmedArea.origin.x, layout.dimmedArea.origin.y, layout.dimmedArea.size.width, layout.dimmedArea.size.height);
    cairo_fill(cr);

    // The box: dark blue-grey glass with a white rim and a soft sheen along its top.
    CGRect box = layout.box;
    constexpr double radius = 10;
    cairo_pattern_t* body = cairo_pattern_create_linear(0, box.minY(), 0, box.maxY());
    cairo_pattern_add_color_stop_rgba(body, 0, 0.20, 0.26, 0.38, 0.92);
    cairo_pattern_add_color_stop_rgba(body, 1, 0.07, 0.10, 0.18, 0.92);
    roundedRectangle(cr, box, radius);
    cairo_set_source(cr, body);
    cairo_fill(cr);
    cairo_pattern_destroy(body);

    cairo_save(cr);
    roundedRectangle(cr, box, radius);
    cairo_clip(cr);
    cairo_pattern_t* sheen = cairo_pattern_create_linear(0, box.minY(), 0, box.minY() + 40);
    cairo_pattern_add_color_stop_rgba(sheen, 0, 1, 1, 1, 0.16);
    cairo_pattern_add_color_stop_rgba(sheen, 1, 1, 1, 1, 0.0);
    cairo_set_source(cr, sheen);
    cairo_rectangle(cr, box.minX(), box.minY(), box.size.width, 40);
    cairo_fill(cr);
    cairo_pattern_destroy(sheen);
    cairo_restore(cr);

    roundedRectangle(cr, CGRectInset(box, 0.5f, 0.5f), radius - 0.5);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.9);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);

    // The text: the title, then the message made smaller until it fits above the button.
    constexpr double padding = 12;
    double textWidthLimit = box.size.width - 2 * padding;
    double top = box.minY() + 10;
    double limit = layout.button.size.height > 0 ? layout.button.minY() - 6 : box.maxY() - padding;
    selectFont(cr, 17, true);
    std::string title = drawableText(alert.title);
    std::string message = drawableText(alert.message);
    std::vector<std::string> titleLines = title.empty() ? std::vector<std::string> {} : wrapText(cr, title, textWidthLimit);
    double titleHeight = linesHeight(cr, titleLines.size());
    double messageSize = 14;
    std::vector<std::string> messageLines;
    for (;; messageSize -= 0.5) {
        selectFont(cr, messageSize, false);
        messageLines = message.empty() ? std::vector<std::string> {} : wrapText(cr, message, textWidthLimit);
        if (top + titleHeight + 4 + linesHeight(cr, messageLines.size()) <= limit || messageSize <= 9)
            break;
    }
    cairo_save(cr);
    roundedRectangle(cr, box, radius);
    cairo_clip(cr);
    double centreX = box.minX() + box.size.width / 2;
    selectFont(cr, 17, true);
    double y = drawCentredLines(cr, titleLines, centreX, top);
    selectFont(cr, messageSize, false);
    drawCentredLines(cr, messageLines, centreX, y + 4);
    cairo_restore(cr);

    // The button, where clicks find it.
    if (layout.button.size.width > 0 && !alert.buttonTitles.empty()) {
        CGRect button = layout.button;
        cairo_pattern_t* face = cairo_pattern_create_linear(0, button.minY(), 0, button.maxY());
        cairo_pattern_add_color_stop_rgba(face, 0, 1, 1, 1, 0.30);
        cairo_pattern_add_color_stop_rgba(face, 0.5, 1, 1, 1, 0.16);
        cairo_pattern_add_color_stop_rgba(face, 1, 1, 1, 1, 0.10);
        roundedRectangle(cr, button, 6);
        cairo_set_source(cr, face);
        cairo_fill(cr);
        cairo_pattern_destroy(face);
        roundedRectangle(cr, CGRectInset(button, 0.5f, 0.5f), 5.5);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.45);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);

        selectFont(cr, 16, true);
        std::vector<std::string> label { drawableText(alert.buttonTitles.front()) };
        cairo_font_extents_t font;
        cairo_font_extents(cr, &font);
        double labelTop = button.minY() + (button.size.height - (font.ascent + font.descent)) / 2;
        cairo_save(cr);
        roundedRectangle(cr, button, 6);
        cairo_clip(cr);
        drawCentredLines(cr, label, button.minX() + button.size.width / 2, labelTop);
        cairo_restore(cr);
    }
    cairo_restore(cr);
}

}
