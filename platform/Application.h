#pragma once

#include "platform/Object.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class UIAlertView;

// A web address. URLWithString gives nothing for text that is not an absolute URL.
struct NSURL {
    std::string absoluteString;
    static std::optional<NSURL> URLWithString(const std::string&);
};

class UIAlertViewDelegate {
public:
    virtual ~UIAlertViewDelegate() = default;
    virtual void alertViewClickedButtonAtIndex(UIAlertView*, int buttonIndex) = 0;
};

// A modal alert. Once shown, the application holds it until it is dismissed.
class UIAlertView final : public NSObject {
public:
    static std::shared_ptr<UIAlertView> initWithTitle(std::string title, std::string message, std::weak_ptr<UIAlertViewDelegate> delegate, std::string cancelButtonTitle, std::vector<std::string> otherButtonTitles = {});
    std::string_view className() const override { return "UIAlertView"; }

    const std::string& title() const { return m_title; }
    const std::string& message() const { return m_message; }
    bool hasDelegate() const { return !m_delegate.expired(); }
    // The cancel button first, then the others.
    const std::vector<std::string>& buttonTitles() const { return m_buttonTitles; }

    void show();
    void dismissWithClickedButtonIndex(int buttonIndex);

private:
    UIAlertView() = default;
    std::string m_title;
    std::string m_message;
    std::weak_ptr<UIAlertViewDelegate> m_delegate;
    std::vector<std::string> m_buttonTitles;
};

// The application object: opens links through the host and keeps the alerts on screen.
class UIApplication {
public:
    static UIApplication& sharedApplication();

    // Hands the address to the host's link handler; false when no handler takes it.
    bool openURL(const NSURL&);
    void setLinkHandler(std::function<bool(const std::string&)> handler) { m_linkHandler = std::move(handler); }

    // Alerts shown and not dismissed, bottom to top.
    const std::vector<std::shared_ptr<UIAlertView>>& visibleAlerts() const { return m_alerts; }
    void showAlert(std::shared_ptr<UIAlertView>);
    void removeAlert(const UIAlertView&);
    void dismissAllAlerts();

private:
    std::function<bool(const std::string&)> m_linkHandler;
    std::vector<std::shared_ptr<UIAlertView>> m_alerts;
};
