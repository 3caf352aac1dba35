#include "app/PhotoCheck.h"

#include "host/JsonText.h"
#include "platform/Context.h"
#include "platform/Device.h"
#include "platform/DirectoryListing.h"
#include "platform/Image.h"
#include "platform/Utf8.h"
#include "slideshow/ImageList.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <sstream>
#include <string_view>
#include <system_error>

namespace orvessa {

namespace {

std::string upper(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return out;
}

std::string refusalReason(const std::string& name, PhotoNameVerdict verdict)
{
    std::string extension(photoNameExtension(name));
    switch (verdict) {
    case PhotoNameVerdict::Accepted:
        break;
    case PhotoNameVerdict::WrongCase:
        return extension + " is not shown; only upper-case extensions are (" + upper(extension) + ")";
    case PhotoNameVerdict::Folder:
        return "a folder";
    case PhotoNameVerdict::NoExtension:
        return "no extension; photos end in .JPG, .JPEG, .PNG, .GIF or .BMP";
    case PhotoNameVerdict::NotAPictureType:
        return extension + " is not a type the slideshow shows (.JPG, .JPEG, .PNG, .GIF, .BMP)";
    }
    return "";
}

// The interval as the widget's timer takes it: the float itself, in full. No cast to int, which
// cannot hold the 2147483648.0 that the largest integer setting becomes.
std::string secondsText(float seconds)
{
    char text[64];
    auto result = std::to_chars(text, text + sizeof text, seconds, std::chars_format::fixed);
    return std::string(text, result.ptr);
}

}

PhotoReport checkPhotos()
{
    PlatformContext& context = PlatformContext::current();
    const DeviceFilesystem& filesystem = context.filesystem();
    PhotoReport report;

    report.preferencesPath = stringByAppendingPathComponent(NSHomeDirectory(), kPhotosPreferencesPath);
    PropertyListReadResult read = readPropertyListDictionaryFile(filesystem, report.preferencesPath);
    report.preferencesProblem = read.failure;
    const PropertyListValue* dictionary = read.value ? &*read.value : nullptr;
    report.settings = settingsFromDictionary(dictionary);
    auto source = [&](const char* key, std::string value) {
        report.settingSources.push_back({ key, std::move(value), dictionary && dictionary->find(key) });
    };
    source(kShuffleKey, report.settings.shuffle ? "on" : "off");
    source(kSecondsPerSlideKey, secondsText(report.settings.secondsPerSlide) + " s");
    source(kPreserveAspectKey, report.settings.preserveAspect ? "on" : "off");

    report.images = loadImageList(NSHomeDirectory(), report.settings.shuffle);
    report.fallback = report.images.size() == 1 && report.images[0] == kFallbackImagePath;

    report.home = { NSHomeDirectory(), filesystem.resolve(NSHomeDirectory()).value_or("").string() };
    for (const char* folder : kPhotoFolders) {
        std::string folderPath = stringByAppendingPathComponent(NSHomeDirectory(), folder);
        std::string host = filesystem.resolve(folderPath).value_or("").string();
        report.photoFolders.push_back({ folderPath, host });
        auto names = contentsOfDirectoryAtPath(folderPath);
        if (!names) {
            // A folder nothing is mounted at is absent on purpose, and the header says so.
            if (!host.empty())
                report.folderProblems.push_back(folderPath.append(" (").append(host).append("): missing or unreadable"));
            continue;
        }
        for (const auto& name : *names) {
            std::string devicePath = stringByAppendingPathComponent(folderPath, name);
            std::string hostPath = filesystem.resolve(devicePath).value_or("").string();
            std::error_code error;
            bool isFolder = std::filesystem::is_directory(hostPath, error);
            PhotoNameVerdict verdict = photoNameVerdict(name, isFolder);
            if (verdict != PhotoNameVerdict::Accepted) {
                report.leftOut.push_back({ devicePath, hostPath, refusalReason(name, verdict), verdict });
                continue;
            }
            if (isFolder)
                report.unreadable.push_back({ devicePath, hostPath, "a folder, not a picture: shown as an empty frame" });
            else if (auto check = checkImageHeader(std::filesystem::path(hostPath)); !check.header)
                report.unreadable.push_back({ devicePath, hostPath, check.problem + ": shown as an empty frame" });
        }
    }
    return report;
}

std::string formatPhotoReport(const PhotoReport& report)
{
    // Every name and path is escaped: a file name may hold a newline (which would forge an entry)
    // or a terminal's escape sequences.
    std::ostringstream out;
    auto mounted = [](const PhotoReport::Folder& folder) {
        return folder.hostPath.empty() ? std::string("nothing mounted") : escapedForTerminal(folder.hostPath);
    };
    out << "Home " << report.home.devicePath << ": " << mounted(report.home) << '\n';
    out << "Photo folders:\n";
    for (const auto& folder : report.photoFolders)
        out << "  " << folder.devicePath << ": " << mounted(folder) << '\n';
    out << "\nSettings from " << escapedForTerminal(report.preferencesPath);
    if (!report.preferencesProblem.empty())
        out << " (not used: " << escapedForTerminal(report.preferencesProblem) << ")";
    out << ":\n";
    for (const auto& setting : report.settingSources)
        out << "  " << setting.key << ": " << setting.value << (setting.fromFile ? " (from the file)" : " (default)") << '\n';

    out << "\nShown, in display order" << (report.settings.shuffle ? " (shuffled)" : "") << ": " << report.images.size() << '\n';
    for (std::size_t i = 0; i < report.images.size(); ++i)
        out << "  " << (i + 1) << ". " << escapedForTerminal(report.images[i]) << '\n';
    if (report.fallback)
        out << "  (no photos found: the widget shows its fallback picture)\n";

    if (!report.unreadable.empty()) {
        out << "\nListed but not pictures: " << report.unreadable.size() << '\n';
        for (const auto& entry : report.unreadable)
            out << "  " << escapedForTerminal(entry.hostPath) << ": " << escapedForTerminal(entry.reason) << '\n';
    }
    out << "\nLeft out: " << report.leftOut.size() << '\n';
    for (const auto& entry : report.leftOut)
        out << "  " << escapedForTerminal(entry.hostPath) << ": " << escapedForTerminal(entry.reason) << '\n';
    for (const auto& problem : report.folderProblems)
        out << "Folder " << escapedForTerminal(problem) << '\n';
    return out.str();
}

nlohmann::ordered_json photoReportJson(const PhotoReport& report)
{
    auto entries = [](const std::vector<PhotoReport::Entry>& list) {
        nlohmann::ordered_json out = nlohmann::ordered_json::array();
        for (const auto& entry : list)
            out.push_back({ { "path", entry.devicePath }, { "hostPath", entry.hostPath }, { "reason", entry.reason } });
        return out;
    };
    nlohmann::ordered_json settings = nlohmann::ordered_json::object();
    settings["shuffle"] = report.settings.shuffle;
    settings["secondsPerSlide"] = report.settings.secondsPerSlide;
    settings["preserveAspect"] = report.settings.preserveAspect;
    nlohmann::ordered_json sources = nlohmann::ordered_json::object();
    for (const auto& setting : report.settingSources)
        sources[setting.key] = setting.fromFile ? "file" : "default";
    auto folderJson = [](const PhotoReport::Folder& folder) {
        return nlohmann::ordered_json { { "path", folder.devicePath }, { "hostPath", folder.hostPath.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(folder.hostPath) } };
    };
    nlohmann::ordered_json folders = nlohmann::ordered_json::array();
    for (const auto& folder : report.photoFolders)
        folders.push_back(folderJson(folder));
    nlohmann::ordered_json json {
        { "home", folderJson(report.home) },
        { "photoFolders", folders },
        { "preferences", { { "path", report.preferencesPath }, { "problem", report.preferencesProblem.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(report.preferencesProblem) } } },
        { "settings", settings },
        { "settingSources", sources },
        { "images", report.images.paths() },
        { "fallback", report.fallback },
        { "notPictures", entries(report.unreadable) },
        { "leftOut", entries(report.leftOut) },
        { "folderProblems", report.folderProblems },
    };
    // File names hold any bytes; JSON holds only UTF-8.
    replaceInvalidUtf8(json);
    return json;
}

std::string photoReportSummary(const PhotoReport& report)
{
    std::size_t lowerCase = 0;
    for (const auto& entry : report.leftOut) {
        if (entry.verdict == PhotoNameVerdict::WrongCase)
            ++lowerCase;
    }
    std::size_t other = report.leftOut.size() - lowerCase;
    if (lowerCase == 0 && other == 0 && report.unreadable.empty())
        return "";
    std::ostringstream out;
    out << "orvessa: ";
    const char* separator = "";
    if (lowerCase > 0) {
        out << lowerCase << " file" << (lowerCase == 1 ? "" : "s") << " with lower-case extensions not shown";
        separator = "; ";
    }
    if (other > 0) {
        out << separator << other << " other name" << (other == 1 ? "" : "s") << " left out";
        separator = "; ";
    }
    if (!report.unreadable.empty())
        out << separator << report.unreadable.size() << " listed file" << (report.unreadable.size() == 1 ? "" : "s") << " not readable as pictures";
    out << " (run 'orvessa photos' for the list)";
    return out.str();
}

}
