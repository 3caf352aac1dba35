#pragma once

#include "platform/Object.h"

#include <memory>
#include <string>

// The home directory of the hosting process, as a device path.
std::string NSHomeDirectory();

class UIDevice final : public NSObject {
public:
    static std::shared_ptr<UIDevice> currentDevice();
    std::string_view className() const override { return "UIDevice"; }
    // What the host set as the OS version, e.g. "6.1".
    std::string systemVersion() const;

private:
    UIDevice() = default;
};

// A bundle of resources on the device.
class NSBundle final : public NSObject {
public:
    // The bundle a widget class was loaded from; the host registers where each class lives.
    static std::shared_ptr<NSBundle> bundleForClass(const std::string& className);
    std::string_view className() const override { return "NSBundle"; }
    const std::string& bundlePath() const { return m_bundlePath; }

private:
    explicit NSBundle(std::string bundlePath)
        : m_bundlePath(std::move(bundlePath))
    {
    }
    std::string m_bundlePath;
};

// Where the system keeps widget bundles.
inline constexpr const char* kWeeAppPluginsPath = "/System/Library/WeeAppPlugins";

// Where the device keeps the user's photos and the Photos settings, below the home directory. The
// widget reads them; the host mounts the user's folders there and never writes into them.
inline constexpr const char* kSyncedPhotosFolder = "/Media/PhotoData/Sync/100SYNCD";
inline constexpr const char* kCameraRollFolder = "/Media/DCIM/100APPLE";
inline constexpr const char* kPhotosPreferencesPath = "/Library/Preferences/com.apple.mobileslideshow.plist";
