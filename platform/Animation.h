#pragma once

#include "platform/Clock.h"
#include "platform/Object.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

enum UIViewAnimationCurve {
    UIViewAnimationCurveEaseInOut = 0,
    UIViewAnimationCurveEaseIn = 1,
    UIViewAnimationCurveEaseOut = 2,
    UIViewAnimationCurveLinear = 3,
};

// The eased fraction of an animation at a linear progress from 0 to 1 (the platform's cubic Bézier timing curves).
float animationCurveValue(UIViewAnimationCurve, float progress);

// One committed animation block: its parameters, and who hears of its end.
struct AnimationBlock {
    std::string name;
    void* context { nullptr };
    TimeInterval start { 0 };
    TimeInterval duration { 0.2 }; // The platform's default for a block.
    UIViewAnimationCurve curve { UIViewAnimationCurveEaseInOut };
    std::weak_ptr<NSObject> delegate;
    Selector didStopSelector; // None: nobody hears of the end.
    bool cutShort { false }; // One of its animations was replaced or cancelled before its end.
};

// One animated property: plain data, its value a pure function of time.
struct PropertyAnimation {
    std::shared_ptr<AnimationBlock> block;
    float from { 0 };
    float to { 0 };

    TimeInterval end() const { return block->start + block->duration; }
    float valueAt(TimeInterval) const;
};

// Collects the properties set between beginAnimations and commitAnimations. Blocks may nest; a
// property joins the innermost open block. The did-stop message reaches the delegate once, after
// the block's end, through the run loop; a delegate that is gone by then gets nothing.
class Animator {
public:
    void beginAnimations(std::string name, void* context);
    void setAnimationDuration(TimeInterval);
    void setAnimationCurve(UIViewAnimationCurve);
    void setAnimationDelegate(std::weak_ptr<NSObject>);
    void setAnimationDidStopSelector(Selector);
    void commitAnimations();

    // The innermost open block, or null outside any block.
    std::shared_ptr<AnimationBlock> openBlock() const { return m_open.empty() ? nullptr : m_open.back(); }

private:
    std::vector<std::shared_ptr<AnimationBlock>> m_open;
};

// An animatable float property of a view: the model value (what code reads back) changes at once;
// the presentation value (what is drawn) follows the running animation.
class AnimatableValue {
public:
    explicit AnimatableValue(float value)
        : m_model(value)
    {
    }
    float model() const { return m_model; }
    float presentation(TimeInterval now) const;
    bool isAnimating(TimeInterval now) const { return m_animation && now < m_animation->end(); }

    // Inside an open block the change animates from what is on screen now; outside it takes effect
    // at once. Either way a running animation of this value is cut short.
    void set(float value);

private:
    float m_model;
    std::optional<PropertyAnimation> m_animation;
};
