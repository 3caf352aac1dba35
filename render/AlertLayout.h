#pragma once

#include "platform/Geometry.h"

#include <cstddef>

namespace orvessa {

// Where the host draws a modal alert over the 320 x 240 panel, and where its buttons are, in window points.
struct AlertLayout {
    CGRect dimmedArea;
    CGRect box;
    CGRect button; // The cancel button; the only one the widget's alerts have.
};

AlertLayout alertLayout(CGSize window, std::size_t buttonCount);

}
