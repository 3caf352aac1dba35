#include "platform/DirectoryListing.h"

#include "platform/Context.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>

bool forEachNameInDirectory(const std::string& devicePath, const std::function<void(std::string_view name)>& visit)
{
    auto host = PlatformContext::current().filesystem().resolve(devicePath);
    if (!host)
        return false;
    std::unique_ptr<DIR, int (*)(DIR*)> directory(opendir(host->c_str()), closedir);
    if (!directory)
        return false;
    while (const dirent* entry = readdir(directory.get())) {
        std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            visit(name);
    }
    return true;
}

std::optional<std::vector<std::string>> contentsOfDirectoryAtPath(const std::string& devicePath)
{
    std::vector<std::string> names;
    if (!forEachNameInDirectory(devicePath, [&](std::string_view name) { names.emplace_back(name); }))
        return std::nullopt;
    return names;
}

std::size_t estimatedEntryCount(const std::string& devicePath)
{
    auto host = PlatformContext::current().filesystem().resolve(devicePath);
    struct stat status { };
    if (!host || ::stat(host->c_str(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_size <= 0)
        return 0;
    constexpr std::size_t kBytesPerEntry = 32;
    return std::min(static_cast<std::size_t>(status.st_size) / kBytesPerEntry, kMaximumEntryEstimate);
}
