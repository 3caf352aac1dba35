#include "app/Commands.h"

#include "platform/Utf8.h"

#include <charconv>
#include <system_error>

namespace orvessa {

CLI::Validator notEmpty()
{
    return CLI::Validator([](const std::string& value) { return value.empty() ? std::string("an empty value is not allowed") : std::string(); }, "", "not empty");
}

std::string printableArgument(const std::string& value)
{
    return printablePrefix(value, 200);
}

void addCommonOptions(CLI::App& command, CommonOptions& options)
{
    command.add_option("--home", options.home, "Folder mounted as the device's home (/var/mobile); default: the built-in demo home, or none at all when only --photos is given")->check(notEmpty());
    command.add_option("--photos", options.photos, "Folder of photos mounted as the camera roll (/var/mobile/Media/DCIM/100APPLE); without --home, only these photos show, with the default settings")->check(notEmpty());
    command.add_option("--os-version", options.osVersion, "What the device reports as its OS version")->capture_default_str()->check(notEmpty());
    command.add_option("--seed", options.seed, "Seeds the shuffle so runs repeat (all 64 bits count); default: fresh randomness")->check(notEmpty());
    command.add_option("--scale", options.scale, "Pixels per point: 1, 2 or 3")->capture_default_str();
}

namespace {

std::filesystem::path existingFolder(const std::string& option, const std::string& value)
{
    std::error_code error;
    std::filesystem::path path(value);
    if (!std::filesystem::exists(path, error))
        throw UsageError(option + ": " + printableArgument(value) + ": no such folder");
    if (!std::filesystem::is_directory(path, error))
        throw UsageError(option + ": " + printableArgument(value) + ": not a folder");
    return std::filesystem::absolute(path, error);
}

// The home and photo folders. Photos alone get no home at all (see homeFolder), so that only they
// show; the demo home is used only when neither is given, and must then be whole.
void chooseHomeAndPhotos(const CommonOptions& options, HostOptions& host)
{
    if (!options.home.empty())
        host.home = existingFolder("--home", options.home);
    if (!options.photos.empty())
        host.photos = existingFolder("--photos", options.photos);
    if (!host.home && !host.photos)
        requireDemoHome(host.resourcesFolder);
}

}

HostOptions hostOptions(const CommonOptions& options)
{
    HostOptions host;
    host.resourcesFolder = locateResources();
    // Empty values are refused while parsing, so empty here means not given.
    chooseHomeAndPhotos(options, host);
    host.osVersion = options.osVersion;
    if (!options.seed.empty()) {
        std::uint64_t seed = 0;
        const std::string& text = options.seed;
        auto result = std::from_chars(text.data(), text.data() + text.size(), seed);
        if (result.ec != std::errc() || result.ptr != text.data() + text.size())
            throw UsageError("--seed: " + quotedForMessage(text) + " is not a whole number from 0 to 18446744073709551615");
        host.seed = seed;
    }
    if (options.scale < 1 || options.scale > 3)
        throw UsageError("--scale: " + std::to_string(options.scale) + " is not 1, 2 or 3");
    host.scale = float(options.scale);
    return host;
}

}
