#include "slideshow/PhotoNames.h"

#include <algorithm>
#include <cctype>

namespace {

bool equalIgnoringCase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) { return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y)); });
}

}

std::string_view photoNameExtension(std::string_view name)
{
    for (auto suffix : kPhotoSuffixes) {
        if (name.size() >= suffix.size() && equalIgnoringCase(name.substr(name.size() - suffix.size()), suffix))
            return name.substr(name.size() - suffix.size());
    }
    auto dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return {};
    return name.substr(dot);
}

PhotoNameVerdict photoNameVerdict(std::string_view name, bool isFolder)
{
    for (auto suffix : kPhotoSuffixes) {
        if (name.ends_with(suffix))
            return PhotoNameVerdict::Accepted;
    }
    std::string_view extension = photoNameExtension(name);
    bool photoSuffixInAnotherCase = std::any_of(kPhotoSuffixes.begin(), kPhotoSuffixes.end(), [&](std::string_view suffix) { return equalIgnoringCase(extension, suffix); });
    if (photoSuffixInAnotherCase)
        return PhotoNameVerdict::WrongCase;
    if (isFolder)
        return PhotoNameVerdict::Folder;
    if (extension.empty())
        return PhotoNameVerdict::NoExtension;
    return PhotoNameVerdict::NotAPictureType;
}
