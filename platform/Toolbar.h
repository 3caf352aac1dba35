#pragma once

#include "platform/Control.h"
#include "platform/View.h"

#include <memory>
#include <string_view>
#include <vector>

enum UIBarButtonSystemItem {
    UIBarButtonSystemItemFlexibleSpace = 5,
    UIBarButtonSystemItemPlay = 17,
    UIBarButtonSystemItemPause = 18,
    UIBarButtonSystemItemRewind = 19,
    UIBarButtonSystemItemFastForward = 20,
};

enum UIBarStyle {
    UIBarStyleDefault = 0,
    UIBarStyleBlack = 1,
};

// The name a system item goes by in state dumps ("rewind", "flexibleSpace", ...).
std::string_view systemItemName(UIBarButtonSystemItem);

// An entry of a toolbar. Its target is not owned. Items compare by identity.
class UIBarButtonItem final : public NSObject {
public:
    static std::shared_ptr<UIBarButtonItem> initWithBarButtonSystemItem(UIBarButtonSystemItem, std::weak_ptr<NSObject> target, Selector action);
    std::string_view className() const override { return "UIBarButtonItem"; }

    UIBarButtonSystemItem systemItem() const { return m_systemItem; }
    bool isSpace() const { return m_systemItem == UIBarButtonSystemItemFlexibleSpace; }
    Selector action() const { return m_action; }
    std::shared_ptr<NSObject> target() const { return m_target.lock(); }
    void sendAction();

private:
    UIBarButtonItem(UIBarButtonSystemItem, std::weak_ptr<NSObject> target, Selector action);

    UIBarButtonSystemItem m_systemItem;
    std::weak_ptr<NSObject> m_target;
    Selector m_action; // None for a space.
};

// The view a toolbar makes for one of its items: it sends the item's action on a tap.
class UIToolbarButton final : public UIControl {
public:
    static std::shared_ptr<UIToolbarButton> initWithItem(const std::shared_ptr<UIBarButtonItem>&);
    std::string_view className() const override { return "UIToolbarButton"; }
    std::shared_ptr<UIBarButtonItem> item() const { return m_item.lock(); }

    void touchesEnded(const UITouchSet&, UIEvent*) override;

private:
    explicit UIToolbarButton(const std::shared_ptr<UIBarButtonItem>&);
    std::weak_ptr<UIBarButtonItem> m_item; // The toolbar's items list holds the item.
};

// A bar of items: a view per item that is not a space, flexible spaces sharing the free width.
// Its background swallows touches.
class UIToolbar final : public UIView {
public:
    static std::shared_ptr<UIToolbar> initWithFrame(CGRect);
    std::string_view className() const override { return "UIToolbar"; }

    const std::vector<std::shared_ptr<UIBarButtonItem>>& items() const { return m_items; }
    void setItems(std::vector<std::shared_ptr<UIBarButtonItem>> items) { setItems(std::move(items), false); }
    // Animated, the views of items that were not shown before fade in.
    void setItems(std::vector<std::shared_ptr<UIBarButtonItem>>, bool animated);
    bool isTranslucent() const { return m_translucent; }
    void setTranslucent(bool translucent) { m_translucent = translucent; }
    UIBarStyle barStyle() const { return m_barStyle; }
    void setBarStyle(UIBarStyle style) { m_barStyle = style; }

    void touchesBegan(const UITouchSet&, UIEvent*) override { }
    void touchesEnded(const UITouchSet&, UIEvent*) override { }

    static constexpr float kItemWidth = 44;
    static constexpr float kEdgeMargin = 6;

protected:
    void layoutSubviews() override;

private:
    explicit UIToolbar(CGRect frame)
        : UIView(frame)
    {
    }

    std::vector<std::shared_ptr<UIBarButtonItem>> m_items;
    bool m_translucent { false };
    UIBarStyle m_barStyle { UIBarStyleDefault };
};
