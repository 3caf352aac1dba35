#pragma once

#include "platform/Touch.h"

#include <memory>

// Touches and events made by the widget itself, for a tap the host reports only as a location.

namespace UITouchSynthesize {
// Initialises a freshly allocated touch at a window location: tap count 1, the window's hit view
// under that point (v only names the window), phase began, flag bits 0 and 1, the timestamp now.
// Writes the touch's private fields directly; null when the receiver is null.
std::shared_ptr<UITouch> initWithPointAndView(std::shared_ptr<UITouch> receiver, CGPoint windowLocation, UIView* view);
// Sets the phase and refreshes the timestamp.
void changeToPhase(UITouch&, std::int32_t phase);
}

namespace UIEventSynthesize {
// Discards the allocated receiver and returns a new touches event made from a fresh event record
// that carries the touch's window location and phase, and a set holding the touch. Null when the
// toolkit has no touches-event class.
std::shared_ptr<UIEvent> initWithTouch(std::shared_ptr<UIEvent> receiver, const std::shared_ptr<UITouch>& touch);
}
