#include "platform/Control.h"

#include "platform/Touch.h"

#include <utility>

void UIControl::addTarget(std::weak_ptr<NSObject> target, Selector action, unsigned controlEvents)
{
    m_targets.push_back({ std::move(target), action, controlEvents });
}

void UIControl::sendActionsForControlEvents(unsigned controlEvents)
{
    // An action may remove this control from the tree, or add targets: work on a copy.
    auto protectedThis = shared_from_this();
    auto targets = m_targets;
    for (const auto& entry : targets) {
        if (!(entry.events & controlEvents))
            continue;
        if (auto target = entry.target.lock())
            entry.action.send(*target, this);
    }
}

bool UIControl::anyTouchInside(const UITouchSet& touches) const
{
    for (const auto& touch : touches) {
        if (touch && pointInside(touch->locationInView(this), nullptr))
            return true;
    }
    return false;
}

void UIControl::touchesBegan(const UITouchSet& touches, UIEvent*)
{
    m_highlighted = anyTouchInside(touches);
    if (m_highlighted)
        sendActionsForControlEvents(UIControlEventTouchDown);
}

void UIControl::touchesEnded(const UITouchSet& touches, UIEvent*)
{
    bool wasTracking = std::exchange(m_highlighted, false);
    if (wasTracking && anyTouchInside(touches))
        sendActionsForControlEvents(UIControlEventTouchUpInside);
}

UIButton::UIButton(UIButtonType type)
    : UIControl(CGRectZero)
    , m_type(type)
{
}

std::shared_ptr<UIButton> UIButton::buttonWithType(UIButtonType type)
{
    std::shared_ptr<UIButton> button(new UIButton(type));
    if (type == UIButtonTypeInfoLight || type == UIButtonTypeInfoDark)
        button->setFrame({ CGPointZero, kInfoButtonSize });
    return button;
}

void UIButton::setImage(std::shared_ptr<UIImage> image, UIControlState state)
{
    if (image)
        m_images[state] = std::move(image);
    else
        m_images.erase(state);
}

std::shared_ptr<UIImage> UIButton::imageForState(UIControlState state) const
{
    auto found = m_images.find(state);
    if (found != m_images.end())
        return found->second;
    found = m_images.find(UIControlStateNormal);
    return found == m_images.end() ? nullptr : found->second;
}
