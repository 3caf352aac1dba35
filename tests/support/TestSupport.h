#pragma once

#include "host/Panel.h"
#include "platform/Context.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

// A folder under the system's temporary folder, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // Writes a file (making its folders) and returns its path.
    std::filesystem::path write(const std::string& relative, const std::vector<std::uint8_t>& bytes) const;
    std::filesystem::path write(const std::string& relative, const std::string& text) const;
    std::filesystem::path makeFolder(const std::string& relative) const;

private:
    std::filesystem::path m_path;
};

// A file's bytes, or none when it cannot be read.
std::vector<std::uint8_t> fileBytes(const std::filesystem::path&);

struct Rgb {
    std::uint8_t r { 0 }, g { 0 }, b { 0 };
};

// The Photos preferences file as XML with the given body inside its <dict>.
std::string preferencesXml(const std::string& dictBody);

inline constexpr const char* kCameraRoll = "Media/DCIM/100APPLE";
inline constexpr const char* kSynced = "Media/PhotoData/Sync/100SYNCD";
inline constexpr const char* kPreferences = "Library/Preferences/com.apple.mobileslideshow.plist";

// A name in the camera roll, relative to the home.
inline std::string inCameraRoll(const std::string& name)
{
    return (std::filesystem::path(kCameraRoll) / name).string();
}

// A home folder with photos and preferences for one test.
class TestHome : public TempFolder {
public:
    // Adds a flat-colour JPEG under a folder of the home (kCameraRoll by default).
    std::string addPhoto(const std::string& name, Rgb = { 200, 40, 40 }, const char* folder = kCameraRoll, int width = 64, int height = 48) const;
    void writePreferences(const std::string& dictBody) const;
};

std::filesystem::path builtResources();

// The host's panel on a virtual clock, over a test home and the built resources.
orvessa::HostOptions panelOptions(const std::filesystem::path& home, std::optional<std::uint64_t> seed = 7);

// A bare platform context on a virtual clock with /var/mobile mounted on a folder: for unit tests below the host.
class TestPlatform {
public:
    explicit TestPlatform(const std::filesystem::path& home = {}, std::string systemVersion = "6.1");
    PlatformContext& context() { return *m_context; }
    void advance(double seconds);
    double now() const;
    std::vector<std::string>& log() { return *m_log; }

private:
    std::shared_ptr<std::vector<std::string>> m_log;
    std::unique_ptr<PlatformContext> m_context;
    ContextScope m_scope;
};

}
