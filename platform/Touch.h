#pragma once

#include "platform/Clock.h"
#include "platform/Geometry.h"
#include "platform/Object.h"
#include "platform/View.h"

#include <cstdint>
#include <memory>

class Runtime;

enum UITouchPhase : std::int32_t {
    UITouchPhaseBegan = 0,
    UITouchPhaseMoved = 1,
    UITouchPhaseStationary = 2,
    UITouchPhaseEnded = 3,
    UITouchPhaseCancelled = 4,
};

// One finger on the screen. The fields named with an underscore are the toolkit's private fields;
// they are public here because code that synthesises touches writes them directly, as it does on
// the platform. alloc() hands out a touch whose fields are all zero; init() is the toolkit's own
// initialiser.
class UITouch : public NSObject {
public:
    static std::shared_ptr<UITouch> alloc();
    std::shared_ptr<UITouch> init();
    ~UITouch() override;

    std::string_view className() const override { return "UITouch"; }

    UIView* view() const { return _view.get(); }
    UIWindow* window() const { return _window.get(); }
    UITouchPhase phase() const { return static_cast<UITouchPhase>(_phase); }
    void setPhase(UITouchPhase phase) { _phase = phase; }
    int tapCount() const { return _tapCount; }
    TimeInterval timestamp() const { return _timestamp; }
    // The location in the view's coordinates; a null view means the window's.
    CGPoint locationInView(const UIView*) const;

    std::int32_t _tapCount { 0 };
    CGPoint _locationInWindow {};
    CGPoint _previousLocationInWindow {};
    std::shared_ptr<UIView> _view; // Owned.
    std::shared_ptr<UIWindow> _window; // Owned.
    std::int32_t _phase { 0 };
    struct {
        std::uint8_t firstByte { 0 };
        std::uint8_t rest[3] {};
    } _touchFlags;
    TimeInterval _timestamp { 0 };

protected:
    UITouch() = default;
};

// A user event. allTouches() is the set the event was made with.
class UIEvent : public NSObject {
public:
    static std::shared_ptr<UIEvent> alloc();
    std::string_view className() const override { return "UIEvent"; }
    virtual const UITouchSet& allTouches() const { return m_touches; }

protected:
    UIEvent() = default;
    UITouchSet m_touches;
};

// The toolkit's private touches event, made from a low-level event record and a set of touches.
// It holds the record for as long as it lives.
class UITouchesEvent final : public UIEvent {
public:
    static std::shared_ptr<UITouchesEvent> alloc();
    std::string_view className() const override { return "UITouchesEvent"; }

    std::shared_ptr<UITouchesEvent> _initWithEvent(std::shared_ptr<NSObject> eventRecord, UITouchSet touches);
    const NSObject* eventRecord() const { return m_eventRecord.get(); }

private:
    UITouchesEvent() = default;
    std::shared_ptr<NSObject> m_eventRecord;
};

// The current date, in seconds since 1 January 2001 (UTC), from the run loop's clock.
struct NSDate {
    static TimeInterval timeIntervalSinceReferenceDate();
};

// Makes the private event classes known to the runtime by name.
void registerTouchClasses(Runtime&);
