#include "platform/Toolbar.h"

#include "platform/Touch.h"

#include <algorithm>

std::string_view systemItemName(UIBarButtonSystemItem item)
{
    switch (item) {
    case UIBarButtonSystemItemFlexibleSpace:
        return "flexibleSpace";
    case UIBarButtonSystemItemPlay:
        return "play";
    case UIBarButtonSystemItemPause:
        return "pause";
    case UIBarButtonSystemItemRewind:
        return "rewind";
    case UIBarButtonSystemItemFastForward:
        return "fastForward";
    }
    return "unknown";
}

UIBarButtonItem::UIBarButtonItem(UIBarButtonSystemItem item, std::weak_ptr<NSObject> target, Selector action)
    : m_systemItem(item)
    , m_target(std::move(target))
    , m_action(action)
{
}

std::shared_ptr<UIBarButtonItem> UIBarButtonItem::initWithBarButtonSystemItem(UIBarButtonSystemItem item, std::weak_ptr<NSObject> target, Selector action)
{
    return std::shared_ptr<UIBarButtonItem>(new UIBarButtonItem(item, std::move(target), action));
}

void UIBarButtonItem::sendAction()
{
    if (!m_action)
        return;
    auto protectedThis = shared_from_this();
    if (auto target = m_target.lock())
        m_action.send(*target, this);
}

UIToolbarButton::UIToolbarButton(const std::shared_ptr<UIBarButtonItem>& item)
    : UIControl(CGRectMake(0, 0, UIToolbar::kItemWidth, 44))
    , m_item(item)
{
}

std::shared_ptr<UIToolbarButton> UIToolbarButton::initWithItem(const std::shared_ptr<UIBarButtonItem>& item)
{
    return std::shared_ptr<UIToolbarButton>(new UIToolbarButton(item));
}

void UIToolbarButton::touchesEnded(const UITouchSet& touches, UIEvent* event)
{
    bool wasTracking = isHighlighted();
    UIControl::touchesEnded(touches, event);
    if (!wasTracking)
        return;
    for (const auto& touch : touches) {
        if (touch && pointInside(touch->locationInView(this), nullptr)) {
            if (auto item = m_item.lock())
                item->sendAction();
            return;
        }
    }
}

std::shared_ptr<UIToolbar> UIToolbar::initWithFrame(CGRect frame)
{
    return std::shared_ptr<UIToolbar>(new UIToolbar(frame));
}

void UIToolbar::setItems(std::vector<std::shared_ptr<UIBarButtonItem>> items, bool animated)
{
    std::vector<std::shared_ptr<UIToolbarButton>> kept;
    for (const auto& subview : subviews()) {
        if (auto button = std::dynamic_pointer_cast<UIToolbarButton>(subview))
            kept.push_back(button);
    }
    for (auto& button : kept)
        button->removeFromSuperview();

    m_items = std::move(items);
    std::vector<std::shared_ptr<UIToolbarButton>> added;
    for (const auto& item : m_items) {
        if (!item || item->isSpace())
            continue;
        auto reuse = std::find_if(kept.begin(), kept.end(), [&](const auto& button) { return button->item() == item; });
        if (reuse != kept.end()) {
            addSubview(*reuse);
            continue;
        }
        auto button = UIToolbarButton::initWithItem(item);
        addSubview(button);
        added.push_back(button);
    }
    layoutSubviews();

    if (!animated || added.empty())
        return;
    for (auto& button : added)
        button->setAlpha(0);
    UIView::beginAnimations("setItems", nullptr);
    UIView::setAnimationDuration(0.2);
    for (auto& button : added)
        button->setAlpha(1);
    UIView::commitAnimations();
}

void UIToolbar::layoutSubviews()
{
    // The item views in item order, spaces sharing what is left of the width.
    int spaces = 0;
    int buttons = 0;
    for (const auto& item : m_items) {
        if (!item)
            continue;
        (item->isSpace() ? spaces : buttons)++;
    }
    float width = frame().size.width;
    float height = frame().size.height;
    float free = std::max(0.0f, width - 2 * kEdgeMargin - float(buttons) * kItemWidth);
    float spaceWidth = spaces > 0 ? free / float(spaces) : 0;
    // Without spaces the buttons sit together in the middle.
    float x = kEdgeMargin + (spaces == 0 ? free / 2 : 0);
    std::size_t next = 0;
    std::vector<UIToolbarButton*> views;
    for (const auto& subview : subviews()) {
        if (auto* button = dynamic_cast<UIToolbarButton*>(subview.get()))
            views.push_back(button);
    }
    for (const auto& item : m_items) {
        if (!item)
            continue;
        if (item->isSpace()) {
            x += spaceWidth;
            continue;
        }
        if (next < views.size())
            views[next++]->setFrame(CGRectMake(x, (height - 44) / 2, kItemWidth, 44));
        x += kItemWidth;
    }
}
