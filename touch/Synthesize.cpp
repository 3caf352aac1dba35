#include "touch/Synthesize.h"

#include "platform/Context.h"
#include "platform/Runtime.h"
#include "touch/GSEventProxy.h"

namespace UITouchSynthesize {

std::shared_ptr<UITouch> initWithPointAndView(std::shared_ptr<UITouch> touch, CGPoint windowLocation, UIView* view)
{
    if (!touch)
        return nullptr;
    UIWindow* window = view ? view->window() : nullptr;
    touch->_tapCount = 1;
    touch->_locationInWindow = windowLocation;
    touch->_previousLocationInWindow = touch->_locationInWindow;
    UIView* hit = window ? window->hitTest(touch->_locationInWindow, nullptr) : nullptr;
    touch->_view = hit ? hit->sharedAs<UIView>() : nullptr;
    touch->_window = window ? window->sharedAs<UIWindow>() : nullptr;
    touch->_phase = UITouchPhaseBegan;
    touch->_touchFlags.firstByte |= 0x01;
    touch->_touchFlags.firstByte |= 0x02;
    touch->_timestamp = NSDate::timeIntervalSinceReferenceDate();
    return touch;
}

void changeToPhase(UITouch& touch, std::int32_t phase)
{
    touch._phase = phase;
    touch._timestamp = NSDate::timeIntervalSinceReferenceDate();
}

}

namespace UIEventSynthesize {

std::shared_ptr<UIEvent> initWithTouch(std::shared_ptr<UIEvent> receiver, const std::shared_ptr<UITouch>& touch)
{
    CGPoint location = touch->locationInView(touch->window());
    auto proxy = GSEventProxy::init();
    GSEventRecordLayout& record = proxy->record;
    record.x1 = location.x;
    record.y1 = location.y;
    record.x2 = location.x;
    record.y2 = location.y;
    record.x3 = location.x;
    record.y3 = location.y;
    record.sizeX = 1.0f;
    record.sizeY = 1.0f;
    record.flags = touch->phase() == UITouchPhaseEnded ? kGSEventFlagsTouchEnded : kGSEventFlagsTouchDown;
    record.type = kGSEventTypeTouch;
    receiver.reset();

    Runtime::Class* touchesEventClass = PlatformContext::current().runtime().objc_getClass("UITouchesEvent");
    if (!touchesEventClass || !touchesEventClass->alloc)
        return nullptr;
    auto event = std::dynamic_pointer_cast<UITouchesEvent>(touchesEventClass->alloc());
    if (!event)
        return nullptr;
    // The event takes over the record and releases it with itself, so no tap leaks its records.
    return event->_initWithEvent(std::move(proxy), UITouchSet { touch });
}

}
