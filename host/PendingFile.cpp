#include "host/PendingFile.h"

#include "host/OutputError.h"

#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <stdexcept>

namespace orvessa {

namespace {

// Room left in a 255-byte name for the temporary file's dot and suffix.
constexpr std::size_t kMaximumNameInTemporary = 200;
constexpr int kTemporaryNameAttempts = 16;

// ".NAME.tmp-XXXXXXXXXXXX", random so that writers on several threads, or in several processes, do
// not meet; O_EXCL catches the rare meeting and the caller tries another.
std::string temporaryName(std::string_view name, int attempt)
{
    std::uint64_t random = 0;
    if (::getrandom(&random, sizeof random, 0) != ssize_t(sizeof random))
        random = (std::uint64_t(::getpid()) << 20) + std::uint64_t(attempt);
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".tmp-%012llx", static_cast<unsigned long long>(random & 0xFFFFFFFFFFFFull));
    return "." + std::string(name.substr(0, kMaximumNameInTemporary)) + suffix;
}

}

PendingFile PendingFile::create(int folder, std::string_view name, std::filesystem::path target, WriteMode mode)
{
    FileDescriptor ownFolder(::fcntl(folder, F_DUPFD_CLOEXEC, 0));
    if (!ownFolder)
        throw outputSystemError(errno, "write", target.string());
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        std::string temporary = temporaryName(name, attempt);
        // Nothing more is made once a signal is ending the program.
        auto cleanup = InterruptCleanupEntry::announce();
        if (!cleanup)
            throw outputSystemError(EINTR, "write", target.string());
        cleanup->remember(ownFolder.get(), temporary);
        FileDescriptor file(::openat(ownFolder.get(), temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        int openError = errno;
        cleanup->made();
        if (file)
            return PendingFile(std::move(ownFolder), std::move(file), std::move(temporary), std::move(*cleanup), std::string(name), std::move(target), mode);
        // The name is someone else's, or nothing was made: not ours to remove.
        cleanup->release();
        if (openError != EEXIST)
            throw outputSystemError(openError, "write", target.string());
    }
    throw outputSystemError(EEXIST, "write", target.string());
}

PendingFile::PendingFile(FileDescriptor folder, FileDescriptor file, std::string temporary, InterruptCleanupEntry cleanup, std::string name, std::filesystem::path target, WriteMode mode)
    : m_folder(std::move(folder))
    , m_file(std::move(file))
    , m_temporary(std::move(temporary))
    , m_cleanup(std::move(cleanup))
    , m_name(std::move(name))
    , m_target(std::move(target))
    , m_mode(mode)
{
}

PendingFile::~PendingFile()
{
    discard();
}

void PendingFile::append(std::span<const std::uint8_t> bytes)
{
    checkOpen();
    while (!bytes.empty()) {
        ssize_t written = ::write(m_file.get(), bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            failWith(errno);
        }
        bytes = bytes.subspan(std::size_t(written));
        m_size += std::uint64_t(written);
    }
}

void PendingFile::overwrite(std::uint64_t offset, std::span<const std::uint8_t> bytes)
{
    checkOpen();
    if (offset > m_size || bytes.size() > m_size - offset)
        throw std::out_of_range("a patch past the bytes written to " + m_target.string());
    while (!bytes.empty()) {
        ssize_t written = ::pwrite(m_file.get(), bytes.data(), bytes.size(), off_t(offset));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            failWith(errno);
        }
        bytes = bytes.subspan(std::size_t(written));
        offset += std::uint64_t(written);
    }
}

void PendingFile::commit()
{
    checkOpen();
    if (m_mode == WriteMode::Durable && ::fsync(m_file.get()) != 0)
        failWith(errno);
    // Some file systems report a failed write only when the file is closed.
    if (m_file.close() != 0)
        failWith(errno);
    if (::renameat(m_folder.get(), m_temporary.c_str(), m_folder.get(), m_name.c_str()) != 0)
        failWith(errno);
    m_cleanup.release();
    m_temporary.clear();
    m_committed = true;
    // The rename itself reaches the disk with the folder. A folder opened only for lookups cannot be
    // synced, and some file systems refuse to sync folders; the file's data is safe either way.
    if (m_mode == WriteMode::Durable)
        static_cast<void>(::fsync(m_folder.get()));
}

void PendingFile::checkOpen() const
{
    if (m_committed)
        throw std::logic_error(m_target.string() + " is already written");
    if (m_temporary.empty())
        throw std::logic_error(m_target.string() + " failed and is gone");
}

void PendingFile::failWith(int errnoValue)
{
    discard();
    throw outputSystemError(errnoValue, "write", m_target.string());
}

void PendingFile::discard() noexcept
{
    m_file.close();
    if (!m_temporary.empty())
        ::unlinkat(m_folder.get(), m_temporary.c_str(), 0);
    m_cleanup.release();
    m_temporary.clear();
}

}
