#include "platform/GestureRecognizer.h"

#include "platform/Touch.h"
#include "platform/View.h"

void UIGestureRecognizer::setTarget(std::weak_ptr<NSObject> target, Selector action)
{
    m_target = std::move(target);
    m_action = action;
}

bool UIGestureRecognizer::shouldReceive(UITouch& touch)
{
    auto delegate = m_delegate.lock();
    return !delegate || delegate->gestureRecognizerShouldReceiveTouch(this, &touch);
}

void UIGestureRecognizer::sendAction()
{
    auto protectedThis = shared_from_this();
    if (auto target = m_target.lock())
        m_action.send(*target, this);
}

std::shared_ptr<UITapGestureRecognizer> UITapGestureRecognizer::initWithTarget(std::weak_ptr<NSObject> target, Selector action)
{
    std::shared_ptr<UITapGestureRecognizer> recognizer(new UITapGestureRecognizer());
    recognizer->setTarget(std::move(target), action);
    return recognizer;
}

void UITapGestureRecognizer::touchBegan(UITouch& touch, UIEvent*)
{
    m_trackedTouch.reset();
    if (shouldReceive(touch))
        m_trackedTouch = touch.weak_from_this();
}

void UITapGestureRecognizer::touchEnded(UITouch& touch, UIEvent*)
{
    if (m_trackedTouch.lock().get() != &touch)
        return;
    m_trackedTouch.reset();
    if (!view() || !view()->pointInside(touch.locationInView(view()), nullptr))
        return;
    sendAction();
}
