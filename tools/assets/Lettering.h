#pragma once

// Lettering from a small monoline stroke face inside the tool, so no installed font can change a
// picture. Only the characters the pictures use exist: digits, " NPUhopst".

#include <cairo.h>

#include <string_view>

namespace assets {

// Width of the text's skeleton; the stroke adds half its line width on either side.
double textWidth(std::string_view text, double capHeight);

// Strokes the text with the current source; (x, top) is the top-left of its skeleton.
void strokeText(cairo_t*, std::string_view text, double x, double top, double capHeight, double lineWidth);

// The photo's number, large in the top-left corner on a dark tab, so the order shows at a glance.
void drawPhotoNumber(cairo_t*, std::string_view label, double w, double h);

}
