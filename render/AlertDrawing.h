#pragma once

#include "platform/Application.h"
#include "platform/Geometry.h"

#include <cairo.h>

namespace orvessa {

// A modal alert as the host shows it over a window of `window` points: the panel dimmed, a box of
// dark glass with the title and the message made to fit, and its button where clicks find it
// (alertLayout).
void drawAlert(cairo_t*, const UIAlertView&, CGSize window);

}
