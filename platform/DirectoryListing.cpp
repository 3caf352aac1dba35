#include "platform/DirectoryListing.h"

#include "platform/Context.h"

#include <dirent.h>

#include <memory>

std::optional<std::vector<std::string>> contentsOfDirectoryAtPath(const std::string& devicePath)
{
    auto host = PlatformContext::current().filesystem().resolve(devicePath);
    if (!host)
        return std::nullopt;
    std::unique_ptr<DIR, int (*)(DIR*)> directory(opendir(host->c_str()), closedir);
    if (!directory)
        return std::nullopt;
    std::vector<std::string> names;
    while (dirent* entry = readdir(directory.get())) {
        std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(std::move(name));
    }
    return names;
}
