#include "host/ProtectedPlaces.h"

#include "host/FileDescriptor.h"
#include "host/OutputError.h"
#include "host/Panel.h"
#include "platform/Device.h"
#include "platform/Utf8.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <system_error>

namespace orvessa {

namespace {

// As the kernel's own limit on links followed in one lookup.
constexpr int kMaximumLinks = 40;
// Deeper than any real tree; a walk that gets here is going round in circles.
constexpr int kMaximumDepth = 4096;

std::optional<std::string> readLink(const std::filesystem::path& link)
{
    std::string target(4096, '\0');
    ssize_t length = ::readlink(link.c_str(), target.data(), target.size());
    if (length <= 0 || std::size_t(length) >= target.size())
        return std::nullopt;
    target.resize(std::size_t(length));
    return target;
}

void pushComponentsInFront(std::deque<std::string>& pending, const std::filesystem::path& path)
{
    std::vector<std::string> parts;
    for (const auto& part : path.relative_path())
        parts.push_back(part.string());
    pending.insert(pending.begin(), parts.begin(), parts.end());
}

// True when `path` is `folder` or below it, comparing whole components.
bool isWithin(const std::filesystem::path& path, const std::filesystem::path& folder)
{
    auto [folderEnd, pathAt] = std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
    return folderEnd == folder.end();
}

std::string placeName(const std::string& description, const std::filesystem::path& path)
{
    return description + " (" + printablePrefix(path.string(), 200) + ")";
}

}

std::filesystem::path resolvedPath(const std::filesystem::path& path)
{
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error)
        absolute = path;
    std::deque<std::string> pending;
    pushComponentsInFront(pending, absolute);

    std::filesystem::path current = "/";
    bool exists = true;
    int links = 0;
    while (!pending.empty()) {
        std::string part = std::move(pending.front());
        pending.pop_front();
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            // What is resolved so far holds no links, so its parent is the real one.
            current = current.parent_path();
            continue;
        }
        std::filesystem::path next = current / part;
        struct stat status { };
        if (exists && ::lstat(next.c_str(), &status) != 0)
            exists = false;
        if (exists && S_ISLNK(status.st_mode) && links < kMaximumLinks) {
            ++links;
            if (auto target = readLink(next)) {
                std::filesystem::path targetPath(*target);
                pushComponentsInFront(pending, targetPath);
                if (targetPath.is_absolute())
                    current = "/";
                continue;
            }
        }
        current = next;
    }
    return current;
}

ProtectedPlaces ProtectedPlaces::forHost(const HostOptions& options)
{
    ProtectedPlaces places;
    if (options.photos)
        places.add("the photo folder", *options.photos);
    // With --photos alone nothing is mounted as the home.
    std::optional<std::filesystem::path> home = homeFolder(options);
    if (!home)
        return places;
    places.add("the home folder", *home);
    auto inHome = [&](const std::string& devicePath) {
        // Device paths below the home are absolute; below the home folder they are relative.
        return *home / std::filesystem::path(devicePath).relative_path();
    };
    places.add("the synced photo folder", inHome(kSyncedPhotosFolder));
    places.add("the camera roll", inHome(kCameraRollFolder));
    // The preferences file may be a link to a file kept elsewhere; its folder is kept as it is.
    places.add("the preferences file's folder", resolvedPath(inHome(kPhotosPreferencesPath)).parent_path());
    return places;
}

void ProtectedPlaces::add(const std::string& description, const std::filesystem::path& path)
{
    std::filesystem::path resolved = resolvedPath(path);
    struct stat status { };
    if (::stat(resolved.c_str(), &status) == 0)
        m_existing.push_back({ status.st_dev, status.st_ino, placeName(description, path) });
    else
        m_missing.push_back({ resolved, placeName(description, path) });
}

std::optional<std::string> ProtectedPlaces::placeHolding(int folderFd) const
{
    auto walkFailed = [](int error) {
        return OutputError(OutputError::Cause::BadTarget, std::string("cannot check where the output folder lies: ") + std::strerror(error));
    };
    FileDescriptor current(::fcntl(folderFd, F_DUPFD_CLOEXEC, 0));
    if (!current)
        throw walkFailed(errno);
    for (int depth = 0; depth < kMaximumDepth; ++depth) {
        struct stat here { };
        if (::fstat(current.get(), &here) != 0)
            throw walkFailed(errno);
        for (const auto& place : m_existing) {
            if (place.device == here.st_dev && place.inode == here.st_ino)
                return place.description;
        }
        FileDescriptor parent(::openat(current.get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!parent)
            throw walkFailed(errno);
        struct stat above { };
        if (::fstat(parent.get(), &above) != 0)
            throw walkFailed(errno);
        // The root is its own parent.
        if (above.st_dev == here.st_dev && above.st_ino == here.st_ino)
            return std::nullopt;
        current = std::move(parent);
    }
    throw OutputError(OutputError::Cause::BadTarget, "the output folder lies too deep to check where it is");
}

std::optional<std::string> ProtectedPlaces::placeHolding(const std::filesystem::path& path) const
{
    std::filesystem::path resolved = resolvedPath(path);
    for (const auto& place : m_missing) {
        if (isWithin(resolved, place.resolved))
            return place.description;
    }
    std::filesystem::path folder = resolved;
    for (;;) {
        FileDescriptor open(::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (open)
            return placeHolding(open.get());
        if (folder == folder.root_path())
            throw outputSystemError(errno, "open", folder.string());
        folder = folder.parent_path();
    }
}

}
