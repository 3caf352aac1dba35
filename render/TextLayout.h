#pragma once

#include <cairo.h>

#include <cstddef>
#include <string>
#include <vector>

namespace orvessa {

// Text laid out and drawn in points with cairo's toy font API, for alerts.

// The text as cairo will take it: valid UTF-8, anything else "?", and at most a thousand bytes.
std::string drawableText(const std::string&);

// The font for what follows: the system's sans-serif at `size` points.
void selectFont(cairo_t*, double size, bool bold);
// Greedy word wrap with the current font to lines at most `width` wide; line breaks in the text are
// kept, and a word too wide for a line is split between its characters.
std::vector<std::string> wrapText(cairo_t*, const std::string& text, double width);
// The height of `count` lines in the current font.
double linesHeight(cairo_t*, std::size_t count);
// Lines centred on centreX from the top `y`, white over a faint shadow above, as the platform's alerts
// letter; returns the y below the last line.
double drawCentredLines(cairo_t*, const std::vector<std::string>& lines, double centreX, double y);

}
