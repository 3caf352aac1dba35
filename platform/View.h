#pragma once

#include "platform/Animation.h"
#include "platform/Color.h"
#include "platform/Geometry.h"
#include "platform/Object.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class UIEvent;
class UIGestureRecognizer;
class UITouch;
class UIWindow;

using UITouchSet = std::vector<std::shared_ptr<UITouch>>;

enum UIViewAutoresizing : unsigned {
    UIViewAutoresizingNone = 0,
    UIViewAutoresizingFlexibleLeftMargin = 1,
    UIViewAutoresizingFlexibleWidth = 2,
    UIViewAutoresizingFlexibleRightMargin = 4,
    UIViewAutoresizingFlexibleTopMargin = 8,
    UIViewAutoresizingFlexibleHeight = 16,
    UIViewAutoresizingFlexibleBottomMargin = 32,
};

enum UIViewContentMode {
    UIViewContentModeScaleToFill = 0,
    UIViewContentModeScaleAspectFit = 1,
    UIViewContentModeScaleAspectFill = 2,
    UIViewContentModeCenter = 4,
};

// The part of a view's layer the toolkit draws: rounded corners and clipping.
struct CALayer {
    float cornerRadius { 0 };
    bool masksToBounds { false };

    void setCornerRadius(float radius) { cornerRadius = radius; }
    void setMasksToBounds(bool masks) { masksToBounds = masks; }
};

class UIResponder : public NSObject {
public:
    std::string_view className() const override { return "UIResponder"; }

    virtual void touchesBegan(const UITouchSet&, UIEvent*) { }
    virtual void touchesEnded(const UITouchSet&, UIEvent*) { }
    virtual void touchesCancelled(const UITouchSet&, UIEvent*) { }
};

class UIView : public UIResponder {
public:
    static std::shared_ptr<UIView> initWithFrame(CGRect);
    ~UIView() override;

    std::string_view className() const override { return "UIView"; }

    // The hierarchy. A parent holds its subviews; the back link is cleared when a view is removed.
    void addSubview(std::shared_ptr<UIView>);
    void removeFromSuperview();
    UIView* superview() const { return m_superview; }
    const std::vector<std::shared_ptr<UIView>>& subviews() const { return m_subviews; }
    UIWindow* window() const;

    // Geometry, in the parent's coordinates. A change of size resizes the subviews by their masks.
    CGRect frame() const { return m_frame; }
    void setFrame(CGRect);
    CGRect bounds() const { return { CGPointZero, m_frame.size }; }
    unsigned autoresizingMask() const { return m_autoresizingMask; }
    void setAutoresizingMask(unsigned mask) { m_autoresizingMask = mask; }
    // Converts a point in this view's coordinates into `view`'s; a null view means the window.
    CGPoint convertPointToView(CGPoint, const UIView* view) const;

    // Appearance.
    float alpha() const { return m_alpha.model(); } // The model value; the renderer asks presentationAlpha.
    void setAlpha(float alpha) { m_alpha.set(alpha); }
    float presentationAlpha(TimeInterval now) const { return m_alpha.presentation(now); }
    bool isHidden() const { return m_hidden; }
    void setHidden(bool hidden) { m_hidden = hidden; }
    std::optional<UIColor> backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(std::optional<UIColor> color) { m_backgroundColor = color; }
    UIViewContentMode contentMode() const { return m_contentMode; }
    void setContentMode(UIViewContentMode mode) { m_contentMode = mode; }
    bool clipsToBounds() const { return m_layer.masksToBounds; }
    void setClipsToBounds(bool clips) { m_layer.masksToBounds = clips; }
    CALayer& layer() { return m_layer; }
    const CALayer& layer() const { return m_layer; }

    // Events. Hit testing skips views that are hidden, have alpha below 0.01 or take no user interaction.
    bool isUserInteractionEnabled() const { return m_userInteractionEnabled; }
    void setUserInteractionEnabled(bool enabled) { m_userInteractionEnabled = enabled; }
    virtual UIView* hitTest(CGPoint, UIEvent*);
    virtual bool pointInside(CGPoint, UIEvent*) const;

    // A view holds its gesture recognisers; the default touch handling offers each touch to those of
    // this view and its ancestors.
    void addGestureRecognizer(std::shared_ptr<UIGestureRecognizer>);
    const std::vector<std::shared_ptr<UIGestureRecognizer>>& gestureRecognizers() const { return m_gestureRecognizers; }
    void touchesBegan(const UITouchSet&, UIEvent*) override;
    void touchesEnded(const UITouchSet&, UIEvent*) override;

    // Animation blocks: every alpha set between begin and commit animates.
    static void beginAnimations(std::string name, void* context);
    static void setAnimationDuration(TimeInterval);
    static void setAnimationCurve(UIViewAnimationCurve);
    static void setAnimationDelegate(std::weak_ptr<NSObject>);
    static void setAnimationDidStopSelector(Selector);
    static void commitAnimations();

protected:
    explicit UIView(CGRect);
    // Called after the view's size changed and its subviews were resized.
    virtual void layoutSubviews() { }

private:
    enum class TouchPhase {
        Began,
        Ended,
    };
    void offerTouchesToGestureRecognizers(const UITouchSet&, UIEvent*, TouchPhase);
    // Sets the frame without forgetting what autoresizing wanted below zero.
    void applyFrame(CGRect);
    void resizeSubviews(CGSize oldSize);

    UIView* m_superview { nullptr }; // Not owned; cleared when we are removed.
    std::vector<std::shared_ptr<UIView>> m_subviews;
    std::vector<std::shared_ptr<UIGestureRecognizer>> m_gestureRecognizers;
    CGRect m_frame {};
    // NOTE: How far below zero autoresizing wanted our size; the frame itself never goes negative.
    // Keeping it lets fixed margins survive a parent that shrinks below them and grows back.
    CGSize m_sizeBelowZero {};
    unsigned m_autoresizingMask { UIViewAutoresizingNone };
    AnimatableValue m_alpha { 1 };
    bool m_hidden { false };
    bool m_userInteractionEnabled { true };
    std::optional<UIColor> m_backgroundColor;
    UIViewContentMode m_contentMode { UIViewContentModeScaleToFill };
    CALayer m_layer;
};

class UIWindow final : public UIView {
public:
    static std::shared_ptr<UIWindow> initWithFrame(CGRect);
    std::string_view className() const override { return "UIWindow"; }

private:
    explicit UIWindow(CGRect frame)
        : UIView(frame)
    {
    }
};
