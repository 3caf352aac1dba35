#include "host/OutputFolder.h"

#include "host/OutputError.h"
#include "platform/Utf8.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace orvessa {

namespace {

std::string printable(const std::filesystem::path& path)
{
    return printablePrefix(path.string(), 200);
}

OutputError refused(const std::filesystem::path& path, const std::string& how, const std::string& place)
{
    return OutputError(OutputError::Cause::Refused, printable(path) + ": " + how + " " + place + ", which is never written to");
}

void checkName(std::string_view name, const std::filesystem::path& folder)
{
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string_view::npos || name.find('\0') != std::string_view::npos)
        throw OutputError(OutputError::Cause::BadTarget, printable(folder / std::string(name)) + ": not a file name");
}

}

OutputFolder::OutputFolder(std::filesystem::path path, std::filesystem::path absolute, FileDescriptor folder, ProtectedPlaces places)
    : m_path(std::move(path))
    , m_absolute(std::move(absolute))
    , m_folder(std::move(folder))
    , m_places(std::move(places))
{
}

OutputFolder OutputFolder::open(const std::filesystem::path& path, ProtectedPlaces places, const std::filesystem::path& shownInErrors)
{
    std::filesystem::path folder = path.empty() ? std::filesystem::path(".") : path;
    const std::filesystem::path& shown = shownInErrors.empty() ? folder : shownInErrors;
    FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // A folder we may write in but not list can still be opened for lookups.
    if (!fd && errno == EACCES)
        fd = FileDescriptor(::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!fd) {
        if (errno == ENOENT || errno == ENOTDIR)
            throw OutputError(OutputError::Cause::BadTarget, printable(shown) + ": no folder " + printable(folder) + " to write in");
        throw outputSystemError(errno, "write in", folder.string());
    }
    if (auto place = places.placeHolding(fd.get()))
        throw refused(shown, "inside", *place);
    if (auto place = places.placeHolding(folder))
        throw refused(shown, "inside", *place);
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(folder, error);
    return OutputFolder(folder, error ? folder : absolute, std::move(fd), std::move(places));
}

OutputFolder OutputFolder::create(const std::filesystem::path& path, ProtectedPlaces places)
{
    // Checked before anything is made: a refused output leaves no empty folders behind.
    if (auto place = places.placeHolding(path))
        throw refused(path, "inside", *place);
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error)
        throw outputSystemError(error.value(), "make the folder", path.string());
    return open(path, std::move(places));
}

void OutputFolder::checkTarget(std::string_view name) const
{
    checkName(name, m_path);
    std::filesystem::path target = m_path / std::string(name);
    struct stat status { };
    if (::fstatat(m_folder.get(), std::string(name).c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return;
    if (S_ISDIR(status.st_mode))
        throw OutputError(OutputError::Cause::BadTarget, printable(target) + ": a folder, not a file");
    if (S_ISLNK(status.st_mode)) {
        if (auto place = m_places.placeHolding(m_absolute / std::string(name)))
            throw refused(target, "a link into", *place);
    }
}

void OutputFolder::write(std::string_view name, std::span<const std::uint8_t> bytes, WriteMode mode) const
{
    write(
        name, [bytes](const ByteSink& sink) { sink(bytes); }, mode);
}

PendingFile OutputFolder::startWriting(std::string_view name, WriteMode mode) const
{
    checkTarget(name);
    return PendingFile::create(m_folder.get(), name, m_path / std::string(name), mode);
}

void OutputFolder::write(std::string_view name, const ByteProducer& producer, WriteMode mode) const
{
    // A throw anywhere drops the file, which removes it.
    PendingFile file = startWriting(name, mode);
    producer([&file](std::span<const std::uint8_t> bytes) { file.append(bytes); });
    file.commit();
}

OutputFile::OutputFile(std::filesystem::path path, OutputFolder folder, std::string name)
    : m_path(std::move(path))
    , m_folder(std::move(folder))
    , m_name(std::move(name))
{
}

OutputFile OutputFile::prepare(const std::filesystem::path& target, ProtectedPlaces places)
{
    std::string name = target.filename().string();
    checkName(name, target.parent_path());
    OutputFolder folder = OutputFolder::open(target.parent_path(), std::move(places), target);
    folder.checkTarget(name);
    return OutputFile(target, std::move(folder), std::move(name));
}

void OutputFile::write(std::span<const std::uint8_t> bytes) const
{
    m_folder.write(m_name, bytes, WriteMode::Durable);
}

PendingFile OutputFile::startWriting() const
{
    return m_folder.startWriting(m_name, WriteMode::Durable);
}

}
