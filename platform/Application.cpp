#include "platform/Application.h"

#include "platform/Context.h"

#include <algorithm>

std::optional<NSURL> NSURL::URLWithString(const std::string& text)
{
    auto colon = text.find(':');
    if (text.empty() || colon == std::string::npos || colon == 0)
        return std::nullopt;
    for (std::size_t i = 0; i < colon; ++i) {
        char c = text[i];
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
        if (!ok)
            return std::nullopt;
    }
    // Spaces and control characters are not allowed in a URL.
    if (std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) <= ' ' || c == 0x7f; }))
        return std::nullopt;
    return NSURL { text };
}

std::shared_ptr<UIAlertView> UIAlertView::initWithTitle(std::string title, std::string message, std::weak_ptr<UIAlertViewDelegate> delegate, std::string cancelButtonTitle, std::vector<std::string> otherButtonTitles)
{
    std::shared_ptr<UIAlertView> alert(new UIAlertView());
    alert->m_title = std::move(title);
    alert->m_message = std::move(message);
    alert->m_delegate = std::move(delegate);
    if (!cancelButtonTitle.empty())
        alert->m_buttonTitles.push_back(std::move(cancelButtonTitle));
    for (auto& other : otherButtonTitles)
        alert->m_buttonTitles.push_back(std::move(other));
    return alert;
}

void UIAlertView::show()
{
    UIApplication::sharedApplication().showAlert(sharedAs<UIAlertView>());
}

void UIAlertView::dismissWithClickedButtonIndex(int buttonIndex)
{
    // The application may hold the last reference.
    auto protectedThis = shared_from_this();
    UIApplication::sharedApplication().removeAlert(*this);
    if (auto delegate = m_delegate.lock())
        delegate->alertViewClickedButtonAtIndex(this, buttonIndex);
}

UIApplication& UIApplication::sharedApplication()
{
    return PlatformContext::current().application();
}

bool UIApplication::openURL(const NSURL& url)
{
    return m_linkHandler && m_linkHandler(url.absoluteString);
}

void UIApplication::showAlert(std::shared_ptr<UIAlertView> alert)
{
    if (alert && std::find(m_alerts.begin(), m_alerts.end(), alert) == m_alerts.end())
        m_alerts.push_back(std::move(alert));
}

void UIApplication::removeAlert(const UIAlertView& alert)
{
    std::erase_if(m_alerts, [&](const auto& shown) { return shown.get() == &alert; });
}

void UIApplication::dismissAllAlerts()
{
    auto alerts = std::move(m_alerts);
    m_alerts.clear();
}
