#include "app/Commands.h"

#include <charconv>
#include <system_error>

#ifndef ORVESSA_RESOURCES_DIR
#error "ORVESSA_RESOURCES_DIR must name the built resources folder"
#endif

namespace orvessa {

void addCommonOptions(CLI::App& command, CommonOptions& options)
{
    command.add_option("--home", options.home, "Folder mounted as the device's home (/var/mobile); default: the built-in demo home");
    command.add_option("--photos", options.photos, "Folder of photos mounted as the camera roll (/var/mobile/Media/DCIM/100APPLE)");
    command.add_option("--os-version", options.osVersion, "What the device reports as its OS version")->capture_default_str();
    command.add_option("--seed", options.seed, "Seeds the shuffle so runs repeat; default: fresh randomness");
    command.add_option("--scale", options.scale, "Pixels per point: 1, 2 or 3")->capture_default_str();
}

namespace {

std::filesystem::path existingFolder(const std::string& option, const std::string& value)
{
    std::error_code error;
    std::filesystem::path path(value);
    if (!std::filesystem::exists(path, error))
        throw UsageError(option + ": " + value + ": no such folder");
    if (!std::filesystem::is_directory(path, error))
        throw UsageError(option + ": " + value + ": not a folder");
    return std::filesystem::absolute(path, error);
}

}

HostOptions hostOptions(const CommonOptions& options)
{
    HostOptions host;
    host.resourcesFolder = ORVESSA_RESOURCES_DIR;
    std::error_code error;
    if (!std::filesystem::is_directory(host.resourcesFolder / "Orvessa.bundle", error))
        throw UsageError("resources not found in " + host.resourcesFolder.string() + "; build the project first (make build)");
    if (!options.home.empty())
        host.home = existingFolder("--home", options.home);
    if (!options.photos.empty())
        host.photos = existingFolder("--photos", options.photos);
    host.osVersion = options.osVersion;
    if (!options.seed.empty()) {
        std::uint64_t seed = 0;
        const std::string& text = options.seed;
        auto result = std::from_chars(text.data(), text.data() + text.size(), seed);
        if (result.ec != std::errc() || result.ptr != text.data() + text.size())
            throw UsageError("--seed: '" + text + "' is not a whole number from 0 to 18446744073709551615");
        host.seed = seed;
    }
    if (options.scale < 1 || options.scale > 3)
        throw UsageError("--scale: " + std::to_string(options.scale) + " is not 1, 2 or 3");
    host.scale = float(options.scale);
    return host;
}

}
