#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// Maps device paths (what the widget sees, e.g. /var/mobile/...) to folders on the host through an
// ordered mount table. Resolution normalises the path lexically and takes the longest matching
// mount; a path under no mount, or one whose ".." climbs above the root, resolves to nothing.
// It offers reading only: nothing in the product writes through it.
class DeviceFilesystem {
public:
    struct Mount {
        std::string devicePath;
        std::filesystem::path hostFolder;
    };

    // A later mount at the same device path replaces the earlier one. An empty host folder mounts
    // nothing, as mountNothing does.
    void mount(const std::string& devicePath, std::filesystem::path hostFolder);
    // Everything at or below the device path resolves to nothing (a missing file) unless a longer
    // mount covers it: a home with no files of its own, under which a photo folder can still be mounted.
    void mountNothing(const std::string& devicePath) { mount(devicePath, {}); }
    const std::vector<Mount>& mounts() const { return m_mounts; }

    std::optional<std::filesystem::path> resolve(const std::string& devicePath) const;

    // The file's bytes, or nothing when it is missing, unreadable, not a regular file or larger than maxBytes.
    std::optional<std::vector<std::uint8_t>> readFile(const std::string& devicePath, std::size_t maxBytes) const;

    // Normalises an absolute device path: no ".", "..", empty or trailing components. Nothing when
    // the path is relative or climbs above the root.
    static std::optional<std::string> normalize(const std::string& devicePath);

private:
    std::vector<Mount> m_mounts;
};

// Joins two paths with exactly one separator, as stringByAppendingPathComponent: does.
std::string stringByAppendingPathComponent(const std::string& path, const std::string& component);
