#include "platform/DeviceFilesystem.h"

#include <fstream>
#include <system_error>

namespace {

std::vector<std::string> components(const std::string& path)
{
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '/') {
            if (!part.empty())
                parts.push_back(std::move(part));
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty())
        parts.push_back(std::move(part));
    return parts;
}

// True when `path` is `prefix` or lies below it, compared by whole components.
bool isUnder(const std::string& path, const std::string& prefix)
{
    if (prefix == "/")
        return true;
    if (path.compare(0, prefix.size(), prefix) != 0)
        return false;
    return path.size() == prefix.size() || path[prefix.size()] == '/';
}

}

std::optional<std::string> DeviceFilesystem::normalize(const std::string& devicePath)
{
    if (devicePath.empty() || devicePath.front() != '/')
        return std::nullopt;
    std::vector<std::string> kept;
    for (auto& part : components(devicePath)) {
        if (part == ".")
            continue;
        if (part == "..") {
            if (kept.empty())
                return std::nullopt;
            kept.pop_back();
            continue;
        }
        kept.push_back(std::move(part));
    }
    std::string normalized;
    for (const auto& part : kept)
        normalized += "/" + part;
    return normalized.empty() ? "/" : normalized;
}

void DeviceFilesystem::mount(const std::string& devicePath, std::filesystem::path hostFolder)
{
    std::string normalized = normalize(devicePath).value_or(devicePath);
    std::erase_if(m_mounts, [&](const Mount& m) { return m.devicePath == normalized; });
    m_mounts.push_back({ std::move(normalized), std::move(hostFolder) });
}

std::optional<std::filesystem::path> DeviceFilesystem::resolve(const std::string& devicePath) const
{
    auto normalized = normalize(devicePath);
    if (!normalized)
        return std::nullopt;
    const Mount* best = nullptr;
    for (const auto& m : m_mounts) {
        if (isUnder(*normalized, m.devicePath) && (!best || m.devicePath.size() > best->devicePath.size()))
            best = &m;
    }
    // NOTE: An empty host folder must never resolve: joined with the rest it would name a path
    // relative to the working folder.
    if (!best || best->hostFolder.empty())
        return std::nullopt;
    std::string rest = best->devicePath == "/" ? *normalized : normalized->substr(best->devicePath.size());
    std::filesystem::path host = best->hostFolder;
    for (const auto& part : components(rest))
        host /= part;
    return host;
}

std::optional<std::vector<std::uint8_t>> DeviceFilesystem::readFile(const std::string& devicePath, std::size_t maxBytes) const
{
    auto host = resolve(devicePath);
    if (!host)
        return std::nullopt;
    std::error_code error;
    if (!std::filesystem::is_regular_file(*host, error))
        return std::nullopt;
    auto size = std::filesystem::file_size(*host, error);
    if (error || size > maxBytes)
        return std::nullopt;
    std::ifstream in(*host, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::vector<std::uint8_t> bytes(size);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
    if (static_cast<std::size_t>(in.gcount()) != size)
        return std::nullopt;
    return bytes;
}

std::string stringByAppendingPathComponent(const std::string& path, const std::string& component)
{
    std::string head = path;
    while (head.size() > 1 && head.back() == '/')
        head.pop_back();
    std::size_t skip = 0;
    while (skip < component.size() && component[skip] == '/')
        ++skip;
    std::string tail = component.substr(skip);
    if (tail.empty())
        return head;
    if (head.empty())
        return tail;
    if (head == "/")
        return "/" + tail;
    return head + "/" + tail;
}
