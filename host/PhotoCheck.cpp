#include "host/PhotoCheck.h"

#include "platform/Context.h"
#include "platform/Device.h"
#include "platform/DirectoryListing.h"
#include "platform/Image.h"
#include "slideshow/ImageList.h"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <system_error>

namespace orvessa {

namespace {

std::string extensionOf(const std::string& name)
{
    auto dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? "" : name.substr(dot);
}

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return text;
}

std::string refusalReason(const std::string& name, bool isFolder)
{
    std::string extension = extensionOf(name);
    bool supportedInAnotherCase = std::find(kPhotoSuffixes.begin(), kPhotoSuffixes.end(), upper(extension)) != kPhotoSuffixes.end();
    if (supportedInAnotherCase && !extension.empty())
        return extension + " is not shown; only upper-case extensions are (" + upper(extension) + ")";
    if (isFolder)
        return "a folder";
    if (extension.empty())
        return "no extension; photos end in .JPG, .JPEG, .PNG, .GIF or .BMP";
    return extension + " is not a type the slideshow shows (.JPG, .JPEG, .PNG, .GIF, .BMP)";
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
    source(kSecondsPerSlideKey, std::to_string(int(report.settings.secondsPerSlide)) + " s");
    source(kPreserveAspectKey, report.settings.preserveAspect ? "on" : "off");

    report.images = loadImageList(NSHomeDirectory(), report.settings.shuffle);
    report.fallback = report.images.size() == 1 && report.images.front() == kFallbackImagePath;

    for (const char* folder : kPhotoFolders) {
        std::string folderPath = stringByAppendingPathComponent(NSHomeDirectory(), folder);
        auto names = contentsOfDirectoryAtPath(folderPath);
        if (!names) {
            std::string host = filesystem.resolve(folderPath).value_or("").string();
            report.folderProblems.push_back(folderPath + " (" + host + "): missing or unreadable");
            continue;
        }
        for (const auto& name : *names) {
            std::string devicePath = stringByAppendingPathComponent(folderPath, name);
            std::string hostPath = filesystem.resolve(devicePath).value_or("").string();
            std::error_code error;
            bool isFolder = std::filesystem::is_directory(hostPath, error);
            if (!acceptsPhotoName(name)) {
                report.leftOut.push_back({ devicePath, hostPath, refusalReason(name, isFolder) });
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
    std::ostringstream out;
    out << "Settings from " << report.preferencesPath;
    if (!report.preferencesProblem.empty())
        out << " (not used: " << report.preferencesProblem << ")";
    out << ":\n";
    for (const auto& setting : report.settingSources)
        out << "  " << setting.key << ": " << setting.value << (setting.fromFile ? " (from the file)" : " (default)") << '\n';

    out << "\nShown, in display order" << (report.settings.shuffle ? " (shuffled)" : "") << ": " << report.images.size() << '\n';
    for (std::size_t i = 0; i < report.images.size(); ++i)
        out << "  " << (i + 1) << ". " << report.images[i] << '\n';
    if (report.fallback)
        out << "  (no photos found: the widget shows its fallback picture)\n";

    if (!report.unreadable.empty()) {
        out << "\nListed but not pictures: " << report.unreadable.size() << '\n';
        for (const auto& entry : report.unreadable)
            out << "  " << entry.hostPath << ": " << entry.reason << '\n';
    }
    out << "\nLeft out: " << report.leftOut.size() << '\n';
    for (const auto& entry : report.leftOut)
        out << "  " << entry.hostPath << ": " << entry.reason << '\n';
    for (const auto& problem : report.folderProblems)
        out << "Folder " << problem << '\n';
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
    return {
        { "preferences", { { "path", report.preferencesPath }, { "problem", report.preferencesProblem.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(report.preferencesProblem) } } },
        { "settings", settings },
        { "settingSources", sources },
        { "images", report.images },
        { "fallback", report.fallback },
        { "notPictures", entries(report.unreadable) },
        { "leftOut", entries(report.leftOut) },
        { "folderProblems", report.folderProblems },
    };
}

std::string photoReportSummary(const PhotoReport& report)
{
    std::size_t lowerCase = 0;
    for (const auto& entry : report.leftOut) {
        if (entry.reason.find("only upper-case") != std::string::npos)
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
