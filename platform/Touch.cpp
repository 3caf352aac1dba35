#include "platform/Touch.h"

#include "platform/Context.h"
#include "platform/RunLoop.h"
#include "platform/Runtime.h"

std::shared_ptr<UITouch> UITouch::alloc()
{
    return std::shared_ptr<UITouch>(new UITouch());
}

std::shared_ptr<UITouch> UITouch::init()
{
    _tapCount = 1;
    _timestamp = NSDate::timeIntervalSinceReferenceDate();
    return sharedAs<UITouch>();
}

UITouch::~UITouch() = default;

CGPoint UITouch::locationInView(const UIView* view) const
{
    if (!view || !_window)
        return _locationInWindow;
    return _window->convertPointToView(_locationInWindow, view);
}

std::shared_ptr<UIEvent> UIEvent::alloc()
{
    return std::shared_ptr<UIEvent>(new UIEvent());
}

std::shared_ptr<UITouchesEvent> UITouchesEvent::alloc()
{
    return std::shared_ptr<UITouchesEvent>(new UITouchesEvent());
}

std::shared_ptr<UITouchesEvent> UITouchesEvent::_initWithEvent(std::shared_ptr<NSObject> eventRecord, UITouchSet touches)
{
    m_eventRecord = std::move(eventRecord);
    m_touches = std::move(touches);
    return sharedAs<UITouchesEvent>();
}

TimeInterval NSDate::timeIntervalSinceReferenceDate()
{
    return PlatformContext::current().runLoop().clock().dateNow();
}

void registerTouchClasses(Runtime& runtime)
{
    runtime.registerClass("UITouchesEvent", [] { return UITouchesEvent::alloc(); });
}
