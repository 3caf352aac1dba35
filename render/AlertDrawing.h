#pragma once

#include "platform/Application.h"
#include "platform/Geometry.h"

#include <cairo.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvessa {

// All of an alert that drawing reads.
struct AlertRecord {
    std::string title;
    std::string message;
    std::vector<std::string> buttonTitles; // The cancel button first.

    bool operator==(const AlertRecord&) const = default;
};

// The alert drawn over the panel: the topmost of those shown; nothing when there is none.
std::optional<AlertRecord> recordTopmostAlert(const std::vector<std::shared_ptr<UIAlertView>>&);

// A modal alert as the host shows it over a window of `window` points: the panel dimmed, a box of
// dark glass with the title and the message made to fit, and its button where clicks find it
// (alertLayout).
void drawAlert(cairo_t*, const AlertRecord&, CGSize window);

}
