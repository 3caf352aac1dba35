#include "host/Panel.h"

#include "controller/OrvessaController.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/Device.h"
#include "platform/Random.h"
#include "platform/RunLoop.h"
#include "platform/Runtime.h"
#include "render/AlertLayout.h"

namespace orvessa {

std::optional<std::filesystem::path> homeFolder(const HostOptions& options)
{
    if (options.home)
        return options.home;
    if (options.photos)
        return std::nullopt;
    return options.resourcesFolder / "demo-home";
}

DeviceFilesystem deviceFilesystemFor(const HostOptions& options)
{
    DeviceFilesystem filesystem;
    // A mount of nothing rather than an empty folder: nothing to create, and nothing in the user's space.
    if (auto home = homeFolder(options))
        filesystem.mount(NSHomeDirectory(), *home);
    else
        filesystem.mountNothing(NSHomeDirectory());
    filesystem.mount(std::string(kWeeAppPluginsPath) + "/Orvessa.bundle", options.resourcesFolder / "Orvessa.bundle");
    filesystem.mount(std::string(kWeeAppPluginsPath) + "/StocksWeeApp.bundle", options.resourcesFolder / "StocksWeeApp.bundle");
    if (options.photos)
        filesystem.mount(NSHomeDirectory() + kCameraRollFolder, *options.photos);
    return filesystem;
}

Panel::Panel(const HostOptions& options)
{
    PlatformContext::Configuration configuration;
    if (options.realTime)
        configuration.clock = std::make_unique<SteadyClock>();
    configuration.filesystem = deviceFilesystemFor(options);
    configuration.systemVersion = options.osVersion;
    configuration.screenScale = options.scale;
    if (options.seed)
        configuration.random = std::make_unique<SeededRandomSource>(*options.seed);
    m_context = std::make_unique<PlatformContext>(std::move(configuration));
    m_scope.emplace(*m_context);

    registerOrvessaClasses(m_context->runtime());
    m_context->application().setLinkHandler([this](const std::string& url) {
        m_openedURLs.push_back(url);
        return m_linkOpener ? m_linkOpener(url) : true;
    });
    m_window = UIWindow::initWithFrame(kWindowFrame);
}

Panel::~Panel()
{
    unload();
    destroy();
    m_window.reset();
    m_scope.reset();
    // The context installs itself while it releases what its run loop and application still hold.
    m_context.reset();
}

TimeInterval Panel::now() const
{
    return m_context->runLoop().now();
}

void Panel::create()
{
    if (m_widget)
        return;
    m_widget = std::dynamic_pointer_cast<BBWeeAppController>(m_context->runtime().instantiate(kWidgetClassName));
}

void Panel::placeholder()
{
    if (!m_widget)
        return;
    m_widget->viewHeight();
    m_widget->loadPlaceholderView();
    if (m_row)
        m_row->removeFromSuperview();
    m_row = m_widget->view();
    if (!m_row)
        return;
    CGRect frame = m_row->frame();
    frame.origin = kRowOrigin;
    m_row->setFrame(frame);
    m_window->addSubview(m_row);
}

void Panel::full()
{
    if (m_widget)
        m_widget->loadFullView();
}

void Panel::unload()
{
    if (m_row) {
        m_row->removeFromSuperview();
        m_row.reset();
    }
    if (m_widget)
        m_widget->unloadView();
}

void Panel::destroy()
{
    m_widget.reset();
}

void Panel::open()
{
    create();
    placeholder();
    full();
}

void Panel::tap(CGPoint rowPoint)
{
    if (m_widget)
        m_widget->launchURLForTapLocation(rowPoint);
}

void Panel::advance(TimeInterval seconds)
{
    if (seconds > 0)
        m_context->runLoop().runFor(seconds);
}

void Panel::resize(float width)
{
    if (!m_row)
        return;
    CGRect frame = m_row->frame();
    frame.size.width = width;
    m_row->setFrame(frame);
}

bool Panel::dismissTopAlert()
{
    const auto& alerts = m_context->application().visibleAlerts();
    if (alerts.empty())
        return false;
    alerts.back()->dismissWithClickedButtonIndex(0);
    return true;
}

void Panel::clickInWindow(CGPoint point)
{
    const auto& alerts = m_context->application().visibleAlerts();
    if (!alerts.empty()) {
        // Modal: only the alert's button answers.
        if (CGRectContainsPoint(alertLayout(kWindowFrame.size, alerts.back()->buttonTitles().size()).button, point))
            dismissTopAlert();
        return;
    }
    if (!m_row || !CGRectContainsPoint(m_row->frame(), point))
        return;
    tap({ point.x - m_row->frame().origin.x, point.y - m_row->frame().origin.y });
}

}
