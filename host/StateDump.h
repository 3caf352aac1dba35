#pragma once

#include <nlohmann/json.hpp>

class UIView;

namespace orvessa {

class Panel;

// The panel's state as one JSON object: time, the widget's fields, timers, the row's view tree,
// alerts and opened links. Rectangles are [x, y, width, height] in the parent's coordinates.
nlohmann::ordered_json dumpState(Panel&);
nlohmann::ordered_json dumpView(const UIView&, double now);

}
