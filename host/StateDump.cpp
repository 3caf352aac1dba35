#include "host/StateDump.h"

#include "host/JsonText.h"
#include "host/Panel.h"
#include "platform/Application.h"
#include "platform/Control.h"
#include "platform/GestureRecognizer.h"
#include "platform/ImageView.h"
#include "platform/RunLoop.h"
#include "platform/Timer.h"
#include "platform/Toolbar.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace orvessa {

namespace {

// A float as the shortest decimal that reads back as the same float, so 0.1f dumps as 0.1.
double number(float value)
{
    char text[32];
    auto result = std::to_chars(text, text + sizeof text - 1, value);
    *result.ptr = '\0';
    return std::strtod(text, nullptr);
}

// Times are rounded to the microsecond: virtual time sums binary fractions.
double seconds(double value)
{
    return std::round(value * 1e6) / 1e6;
}

nlohmann::ordered_json rect(CGRect r)
{
    return { number(r.origin.x), number(r.origin.y), number(r.size.width), number(r.size.height) };
}

nlohmann::ordered_json image(const std::shared_ptr<UIImage>& image)
{
    if (!image)
        return nullptr;
    return { { "path", image->path() }, { "size", { number(image->size().width), number(image->size().height) } } };
}

nlohmann::ordered_json widgetState(const BBWeeAppController& widget)
{
    nlohmann::ordered_json out = nlohmann::ordered_json::object();
    for (const auto& field : widget.debugState()) {
        std::visit(
            [&](const auto& value) {
                using T = std::decay_t<decltype(value)>;
                if constexpr (std::is_same_v<T, double>)
                    out[field.name] = number(static_cast<float>(value));
                else if constexpr (std::is_same_v<T, std::shared_ptr<const PathList>>)
                    out[field.name] = value ? nlohmann::ordered_json(value->paths()) : nlohmann::ordered_json(nullptr);
                else
                    out[field.name] = value;
            },
            field.value);
    }
    return out;
}

}

nlohmann::ordered_json dumpView(const UIView& view, double now)
{
    nlohmann::ordered_json out {
        { "class", std::string(view.className()) },
        { "frame", rect(view.frame()) },
        { "alpha", number(view.alpha()) },
        { "presentationAlpha", number(view.presentationAlpha(now)) },
        { "autoresizingMask", view.autoresizingMask() },
        { "userInteractionEnabled", view.isUserInteractionEnabled() },
        { "cornerRadius", number(view.layer().cornerRadius) },
        { "masksToBounds", view.layer().masksToBounds },
    };
    if (auto* imageView = dynamic_cast<const UIImageView*>(&view)) {
        out["contentMode"] = int(imageView->contentMode());
        out["image"] = image(imageView->image());
    }
    if (auto* button = dynamic_cast<const UIButton*>(&view))
        out["image"] = image(button->imageForState(UIControlStateNormal));
    if (auto* toolbar = dynamic_cast<const UIToolbar*>(&view)) {
        nlohmann::ordered_json items = nlohmann::ordered_json::array();
        for (const auto& item : toolbar->items())
            items.push_back(item ? std::string(systemItemName(item->systemItem())) : "none");
        out["items"] = items;
    }
    if (!view.gestureRecognizers().empty()) {
        nlohmann::ordered_json recognizers = nlohmann::ordered_json::array();
        for (const auto& recognizer : view.gestureRecognizers())
            recognizers.push_back(std::string(recognizer->className()));
        out["gestureRecognizers"] = recognizers;
    }
    nlohmann::ordered_json subviews = nlohmann::ordered_json::array();
    for (const auto& subview : view.subviews())
        subviews.push_back(dumpView(*subview, now));
    out["subviews"] = subviews;
    return out;
}

nlohmann::ordered_json dumpState(Panel& panel)
{
    PlatformContext& context = panel.context();
    double now = context.runLoop().now();

    nlohmann::ordered_json controller = nullptr;
    if (auto widget = panel.widget())
        controller = widgetState(*widget);

    nlohmann::ordered_json timers = nlohmann::ordered_json::array();
    for (const auto& timer : context.runLoop().scheduledTimers()) {
        timers.push_back({
            { "action", std::string(timer->selector().name()) },
            { "repeats", timer->repeats() },
            { "interval", seconds(timer->timeInterval()) },
            { "fireDate", seconds(timer->fireDate()) },
        });
    }

    nlohmann::ordered_json alerts = nlohmann::ordered_json::array();
    for (const auto& alert : context.application().visibleAlerts())
        alerts.push_back({ { "title", alert->title() }, { "message", alert->message() }, { "buttons", alert->buttonTitles() } });

    nlohmann::ordered_json state {
        { "time", seconds(now) },
        { "controller", controller },
        { "timers", timers },
        { "row", panel.row() ? dumpView(*panel.row(), now) : nlohmann::ordered_json(nullptr) },
        { "alerts", alerts },
        { "openedURLs", panel.openedURLs() },
    };
    // Paths, alert texts and links come from file names and the widget: any bytes at all.
    replaceInvalidUtf8(state);
    return state;
}

}
