#pragma once

#include <nlohmann/json.hpp>

class UIView;

namespace orvessa {

class Panel;

// The panel's state as one JSON object: time, the widget's fields, timers, the row's view tree,
// alerts and opened links. Rectangles are [x, y, width, height] in the parent's coordinates. Every
// string is valid UTF-8: a byte of a path or text that is not becomes U+FFFD.
nlohmann::ordered_json dumpState(Panel&);
// One view as the state lists it; its strings are left as they are.
nlohmann::ordered_json dumpView(const UIView&, double now);

}
