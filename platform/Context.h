#pragma once

#include "platform/Clock.h"
#include "platform/DeviceFilesystem.h"
#include "platform/Random.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class Animator;
class Clock;
class DecodeService;
class RandomSource;
class RunLoop;
class Runtime;
class UIApplication;

// The process-wide services of the platform: the current run loop, the device filesystem, the
// shared application, the device, the class runtime, the random source, the log and, when a host
// switches it on, the decode service. A host or a test installs one with a ContextScope; nothing else
// in the toolkit is global.
class PlatformContext {
public:
    struct Configuration {
        std::unique_ptr<Clock> clock; // A virtual clock when none is given.
        DeviceFilesystem filesystem;
        std::string systemVersion { "6.1" };
        float screenScale { 2 };
        std::unique_ptr<RandomSource> random; // The system's unseeded source when none is given.
        std::function<void(std::string_view)> log; // Standard error when none is given.
    };

    explicit PlatformContext(Configuration);
    ~PlatformContext();
    PlatformContext(const PlatformContext&) = delete;
    PlatformContext& operator=(const PlatformContext&) = delete;

    // The installed context; using the toolkit with none installed is a programming error.
    static PlatformContext& current();
    static bool hasCurrent();

    RunLoop& runLoop() { return *m_runLoop; }
    DeviceFilesystem& filesystem() { return m_filesystem; }
    Runtime& runtime() { return *m_runtime; }
    RandomSource& random() { return *m_random; }
    Animator& animator() { return *m_animator; }
    UIApplication& application() { return *m_application; }

    const std::string& systemVersion() const { return m_systemVersion; }
    void setSystemVersion(std::string version) { m_systemVersion = std::move(version); }
    float screenScale() const { return m_screenScale; }
    void log(std::string_view message) const { m_log(message); }

    // Off (null) unless the host installs one; images made while one is installed use it. Replacing
    // or removing it destroys it once no one else holds it, which waits for its decodes under way.
    const std::shared_ptr<DecodeService>& decodeService() const { return m_decodeService; }
    void setDecodeService(std::shared_ptr<DecodeService>);

    // Pictures decoded on the UI thread while drawing, for a host's frame statistics.
    std::uint64_t uiThreadDecodeCount() const { return m_uiThreadDecodes; }
    void countUiThreadDecode() { ++m_uiThreadDecodes; }

private:
    friend class ContextScope;
    DeviceFilesystem m_filesystem;
    std::string m_systemVersion;
    float m_screenScale;
    std::function<void(std::string_view)> m_log;
    std::unique_ptr<Runtime> m_runtime;
    std::unique_ptr<RandomSource> m_random;
    std::unique_ptr<Animator> m_animator;
    std::unique_ptr<RunLoop> m_runLoop;
    std::unique_ptr<UIApplication> m_application;
    std::shared_ptr<DecodeService> m_decodeService;
    std::uint64_t m_uiThreadDecodes { 0 };
};

// Installs a context for the lifetime of the scope and restores the one before it.
class ContextScope {
public:
    explicit ContextScope(PlatformContext&);
    ~ContextScope();
    ContextScope(const ContextScope&) = delete;
    ContextScope& operator=(const ContextScope&) = delete;

private:
    PlatformContext* m_previous;
};

// The platform's NSLog: a line to the context's log.
void NSLog(std::string_view message);
