#pragma once

#include "platform/Geometry.h"
#include "platform/Object.h"
#include "platform/PathList.h"
#include "platform/View.h"

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

// One named value of a widget's state, as a host's debugging tools show it.
struct WeeAppStateField {
    using Value = std::variant<std::nullptr_t, bool, std::int64_t, double, std::shared_ptr<const PathList>>;
    std::string name;
    Value value;
};

// The host's widget protocol. Only view() is required; the host calls the rest in its order:
// init, loadPlaceholderView, loadFullView, taps, unloadView, and may repeat from loadPlaceholderView.
class BBWeeAppController {
public:
    virtual ~BBWeeAppController() = default;

    virtual std::shared_ptr<UIView> view() const = 0;
    virtual float viewHeight() const { return 0; }
    virtual void loadPlaceholderView() { }
    virtual void loadFullView() { }
    virtual void unloadView() { }
    // The object returned is a URL for the host to open, or null.
    virtual std::shared_ptr<NSObject> launchURLForTapLocation(CGPoint) { return nullptr; }

    // Not part of the platform's protocol: what a host may show of the widget's state, in order.
    virtual std::vector<WeeAppStateField> debugState() const { return {}; }
};
