#pragma once

#include "platform/Geometry.h"
#include "platform/Object.h"

#include <memory>

class UIEvent;
class UIGestureRecognizer;
class UITouch;
class UIView;

class UIGestureRecognizerDelegate {
public:
    virtual ~UIGestureRecognizerDelegate() = default;
    virtual bool gestureRecognizerShouldReceiveTouch(UIGestureRecognizer*, UITouch*) { return true; }
};

// Sees the touches its view's default touch handling offers it, after asking its delegate.
class UIGestureRecognizer : public NSObject {
public:
    std::string_view className() const override { return "UIGestureRecognizer"; }

    // The target is not owned, nor is the delegate.
    void setTarget(std::weak_ptr<NSObject> target, Selector action);
    void setDelegate(std::weak_ptr<UIGestureRecognizerDelegate> delegate) { m_delegate = std::move(delegate); }
    bool cancelsTouchesInView() const { return m_cancelsTouchesInView; }
    void setCancelsTouchesInView(bool cancels) { m_cancelsTouchesInView = cancels; }
    UIView* view() const { return m_view; }
    void setView(UIView* view) { m_view = view; } // The view that holds us sets and clears this.

    virtual void touchBegan(UITouch&, UIEvent*) = 0;
    virtual void touchEnded(UITouch&, UIEvent*) = 0;

protected:
    bool shouldReceive(UITouch&);
    void sendAction();

private:
    std::weak_ptr<NSObject> m_target;
    Selector m_action;
    std::weak_ptr<UIGestureRecognizerDelegate> m_delegate;
    UIView* m_view { nullptr }; // Not owned: the view owns us.
    bool m_cancelsTouchesInView { true };
};

// Recognises a touch that begins and ends within its view.
class UITapGestureRecognizer final : public UIGestureRecognizer {
public:
    static std::shared_ptr<UITapGestureRecognizer> initWithTarget(std::weak_ptr<NSObject> target, Selector action);
    std::string_view className() const override { return "UITapGestureRecognizer"; }

    void touchBegan(UITouch&, UIEvent*) override;
    void touchEnded(UITouch&, UIEvent*) override;

private:
    UITapGestureRecognizer() = default;
    std::weak_ptr<NSObject> m_trackedTouch; // Identity only: the touch that began on us.
};
