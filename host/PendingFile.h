#pragma once

#include "host/FileDescriptor.h"
#include "host/InterruptCleanup.h"
#include "render/ByteOutput.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace orvessa {

enum class WriteMode {
    Durable, // On disk before commit() returns: an output the user asked for by name.
    Fast, // Left to the system to flush: one of the many frames of a recording.
};

// A file being written beside its target under a new temporary name (made with O_EXCL, never
// following a link): appended to as its bytes are made, patched where a header learns its sizes
// late, and put under the target's name whole by commit(). Dropped before that, or after any failed
// write, it is removed, so no partly written file is ever left behind. Made only by OutputFolder,
// which checks the target first.
// NOTE: One thread at a time. Not movable, since an encoder holds it by reference while it writes.
class PendingFile final : public ByteOutput {
public:
    ~PendingFile() override;
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Both throw OutputError when the bytes cannot be written, and the file is gone by then;
    // std::logic_error once it is committed or gone. overwrite() throws std::out_of_range for bytes
    // past those appended.
    void append(std::span<const std::uint8_t>) override;
    void overwrite(std::uint64_t offset, std::span<const std::uint8_t>) override;
    // Syncs the file (when durable), closes it and renames it over the target. Throws OutputError
    // when any step fails; the temporary file is removed then, and an old target is left as it was.
    void commit();

    const std::filesystem::path& target() const { return m_target; }
    std::uint64_t size() const { return m_size; }
    bool isCommitted() const { return m_committed; }

private:
    friend class OutputFolder;
    // Makes the temporary file for `name` in the folder open as `folder`; `target` names it in errors.
    static PendingFile create(int folder, std::string_view name, std::filesystem::path target, WriteMode);
    PendingFile(FileDescriptor folder, FileDescriptor file, std::string temporary, InterruptCleanupEntry, std::string name, std::filesystem::path target, WriteMode);

    void checkOpen() const;
    // Closes and removes the temporary file; then rethrows what failed.
    [[noreturn]] void failWith(int errnoValue);
    void discard() noexcept;

    FileDescriptor m_folder; // Our own duplicate of the folder's, so the folder may go first.
    FileDescriptor m_file; // Empty once committed or removed.
    std::string m_temporary; // Empty once renamed or removed.
    InterruptCleanupEntry m_cleanup; // Removes the temporary file if a signal ends the program first.
    std::string m_name;
    std::filesystem::path m_target;
    WriteMode m_mode;
    std::uint64_t m_size { 0 };
    bool m_committed { false };
};

}
