#include "platform/Animation.h"

#include "platform/Context.h"
#include "platform/RunLoop.h"

#include <algorithm>
#include <cmath>

namespace {

// A cubic Bézier timing curve from (0,0) to (1,1) with control points (x1,y1) and (x2,y2).
float cubicBezier(float x1, float y1, float x2, float y2, float x)
{
    auto sample = [](float a1, float a2, float t) {
        float u = 1 - t;
        return 3 * u * u * t * a1 + 3 * u * t * t * a2 + t * t * t;
    };
    auto slope = [](float a1, float a2, float t) {
        float u = 1 - t;
        return 3 * u * u * a1 + 6 * u * t * (a2 - a1) + 3 * t * t * (1 - a2);
    };
    // Newton's method, falling back to bisection where the slope is flat.
    float t = x;
    for (int i = 0; i < 8; ++i) {
        float error = sample(x1, x2, t) - x;
        if (std::fabs(error) < 1e-6f)
            return sample(y1, y2, t);
        float d = slope(x1, x2, t);
        if (std::fabs(d) < 1e-6f)
            break;
        t -= error / d;
    }
    float low = 0, high = 1;
    t = x;
    for (int i = 0; i < 32; ++i) {
        float value = sample(x1, x2, t);
        if (std::fabs(value - x) < 1e-6f)
            break;
        (value < x ? low : high) = t;
        t = (low + high) / 2;
    }
    return sample(y1, y2, t);
}

}

float animationCurveValue(UIViewAnimationCurve curve, float progress)
{
    float p = std::clamp(progress, 0.0f, 1.0f);
    switch (curve) {
    case UIViewAnimationCurveEaseInOut:
        return cubicBezier(0.42f, 0, 0.58f, 1, p);
    case UIViewAnimationCurveEaseIn:
        return cubicBezier(0.42f, 0, 1, 1, p);
    case UIViewAnimationCurveEaseOut:
        return cubicBezier(0, 0, 0.58f, 1, p);
    case UIViewAnimationCurveLinear:
        return p;
    }
    return p;
}

float PropertyAnimation::valueAt(TimeInterval now) const
{
    if (block->duration <= 0 || now >= end())
        return to;
    if (now <= block->start)
        return from;
    float progress = static_cast<float>((now - block->start) / block->duration);
    return from + (to - from) * animationCurveValue(block->curve, progress);
}

void Animator::beginAnimations(std::string name, void* context)
{
    auto block = std::make_shared<AnimationBlock>();
    block->name = std::move(name);
    block->context = context;
    block->start = PlatformContext::current().runLoop().now();
    m_open.push_back(std::move(block));
}

void Animator::setAnimationDuration(TimeInterval duration)
{
    if (auto block = openBlock())
        block->duration = std::max(0.0, duration);
}

void Animator::setAnimationCurve(UIViewAnimationCurve curve)
{
    if (auto block = openBlock())
        block->curve = curve;
}

void Animator::setAnimationDelegate(std::weak_ptr<NSObject> delegate)
{
    if (auto block = openBlock())
        block->delegate = std::move(delegate);
}

void Animator::setAnimationDidStopSelector(Selector selector)
{
    if (auto block = openBlock())
        block->didStopSelector = selector;
}

void Animator::commitAnimations()
{
    if (m_open.empty())
        return;
    std::shared_ptr<AnimationBlock> block = std::move(m_open.back());
    m_open.pop_back();
    if (!block->didStopSelector)
        return;
    RunLoop& runLoop = PlatformContext::current().runLoop();
    // NOTE: The run loop holds the block, never the delegate: a delegate that is gone hears nothing.
    runLoop.performAt(block->start + block->duration, [block] {
        auto delegate = block->delegate.lock();
        if (!delegate)
            return;
        block->didStopSelector.send(*delegate, MessageArguments { nullptr, block->name, !block->cutShort, block->context });
    });
}

float AnimatableValue::presentation(TimeInterval now) const
{
    return m_animation ? m_animation->valueAt(now) : m_model;
}

void AnimatableValue::set(float value)
{
    TimeInterval now = PlatformContext::hasCurrent() ? PlatformContext::current().runLoop().now() : 0;
    float onScreen = presentation(now);
    if (m_animation && now < m_animation->end())
        m_animation->block->cutShort = true;
    m_animation.reset();
    m_model = value;
    if (!PlatformContext::hasCurrent())
        return;
    if (auto block = PlatformContext::current().animator().openBlock())
        m_animation = PropertyAnimation { std::move(block), onScreen, value };
}
