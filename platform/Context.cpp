#include "platform/Context.h"

#include "platform/Animation.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/DecodeService.h"
#include "platform/Random.h"
#include "platform/RunLoop.h"
#include "platform/Runtime.h"
#include "platform/Touch.h"

#include <cassert>
#include <iostream>
#include <stdexcept>
#include <utility>

namespace {
// The one piece of global state: which context is installed on the UI thread.
thread_local PlatformContext* s_current = nullptr;
}

PlatformContext::PlatformContext(Configuration configuration)
    : m_filesystem(std::move(configuration.filesystem))
    , m_systemVersion(std::move(configuration.systemVersion))
    , m_screenScale(configuration.screenScale)
    , m_log(std::move(configuration.log))
    , m_runtime(std::make_unique<Runtime>())
    , m_random(configuration.random ? std::move(configuration.random) : std::make_unique<SystemRandomSource>())
    , m_animator(std::make_unique<Animator>())
    , m_runLoop(std::make_unique<RunLoop>(configuration.clock ? std::move(configuration.clock) : std::make_unique<VirtualClock>()))
    , m_application(std::make_unique<UIApplication>())
{
    if (!m_log)
        m_log = [](std::string_view message) { std::cerr << message << '\n'; };
    registerTouchClasses(*m_runtime);
}

PlatformContext::~PlatformContext()
{
    // What the application and the run loop still hold may call back into the toolkit while it
    // is released, so tear down with this context installed.
    ContextScope scope(*this);
    m_application->dismissAllAlerts();
    m_runLoop->removeAll();
    m_runtime.reset();
    setDecodeService(nullptr);
}

void PlatformContext::setDecodeService(std::shared_ptr<DecodeService> service)
{
    // NOTE: Swapped out before the old one goes, so its destructor (a join) never runs while this
    // context still offers it.
    auto previous = std::exchange(m_decodeService, std::move(service));
    previous.reset();
}

PlatformContext& PlatformContext::current()
{
    if (!s_current)
        throw std::logic_error("no platform context is installed");
    return *s_current;
}

bool PlatformContext::hasCurrent()
{
    return s_current != nullptr;
}

ContextScope::ContextScope(PlatformContext& context)
    : m_previous(s_current)
{
    s_current = &context;
}

ContextScope::~ContextScope()
{
    s_current = m_previous;
}

void NSLog(std::string_view message)
{
    PlatformContext::current().log(message);
}
