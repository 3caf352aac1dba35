#pragma once

// The demo photos' scenes, each a different palette and landscape. A scene fills a w x h picture
// from (0, 0) with the current transformation, so it can be drawn turned.

#include <cairo.h>

namespace assets {

using Scene = void (*)(cairo_t*, double w, double h);

// By the water (SeaScenes.cpp).
void drawSunsetSea(cairo_t*, double w, double h);
// Upright in a 3:4 frame, with an arrow and "UP", so a viewer sees whether a turn was applied.
void drawLighthouse(cairo_t*, double w, double h);

// Inland (LandScenes.cpp).
void drawGreenHills(cairo_t*, double w, double h);
void drawNightMountains(cairo_t*, double w, double h);
void drawDesert(cairo_t*, double w, double h);
void drawAutumnForest(cairo_t*, double w, double h);
void drawLavenderField(cairo_t*, double w, double h);
void drawWinter(cairo_t*, double w, double h);

}
