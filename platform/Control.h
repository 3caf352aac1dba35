#pragma once

#include "platform/Image.h"
#include "platform/View.h"

#include <map>
#include <memory>
#include <vector>

enum UIControlEvents : unsigned {
    UIControlEventTouchDown = 1 << 0,
    UIControlEventTouchUpInside = 1 << 6,
};

enum UIControlState : unsigned {
    UIControlStateNormal = 0,
    UIControlStateHighlighted = 1 << 0,
};

enum UIButtonType {
    UIButtonTypeCustom = 0,
    UIButtonTypeInfoLight = 3,
    UIButtonTypeInfoDark = 4,
};

// A view that sends actions to targets. It acts on a touch that begins and ends inside it.
class UIControl : public UIView {
public:
    std::string_view className() const override { return "UIControl"; }

    // The target is not owned.
    void addTarget(std::weak_ptr<NSObject> target, Selector action, unsigned controlEvents);
    void sendActionsForControlEvents(unsigned controlEvents);
    bool isHighlighted() const { return m_highlighted; }

    void touchesBegan(const UITouchSet&, UIEvent*) override;
    void touchesEnded(const UITouchSet&, UIEvent*) override;

protected:
    explicit UIControl(CGRect frame)
        : UIView(frame)
    {
    }

private:
    struct Target {
        std::weak_ptr<NSObject> target;
        Selector action;
        unsigned events;
    };
    bool anyTouchInside(const UITouchSet&) const;

    std::vector<Target> m_targets;
    bool m_highlighted { false }; // A touch began inside and has not ended.
};

class UIButton final : public UIControl {
public:
    static std::shared_ptr<UIButton> buttonWithType(UIButtonType);
    std::string_view className() const override { return "UIButton"; }

    UIButtonType buttonType() const { return m_type; }
    void setImage(std::shared_ptr<UIImage>, UIControlState);
    // The image for the state, or the normal one where the state has none.
    std::shared_ptr<UIImage> imageForState(UIControlState) const;

    // The toolkit's own size for an info button.
    static constexpr CGSize kInfoButtonSize { 18, 19 };

private:
    explicit UIButton(UIButtonType);

    UIButtonType m_type;
    std::map<unsigned, std::shared_ptr<UIImage>> m_images;
};
