#pragma once

#include <string_view>

namespace orvessa {

// Temporary files removed when the program is stopped by a signal: a recording ended with Ctrl-C
// must not leave its hidden `.NAME.tmp-*` files beside the frames.
//
// On SIGINT, SIGTERM or SIGHUP the handler removes every temporary file still registered, then lets
// the signal end the program as it would have. A signal the program ignores (nohup) stays ignored.
// Call once, before any file is written, from a command that has no handler of its own: the window
// quits on Ctrl-C through SDL's, which SDL installs only where it finds none.
void removeTemporaryFilesOnInterrupt();

// A registration of one temporary file, `name` in the folder open as `folder`, for as long as the
// object lives. Both must outlive it. Safe from any thread. When every place is taken (more files
// being written at once than any command makes) the file is simply not registered.
class InterruptCleanupEntry {
public:
    InterruptCleanupEntry(int folder, std::string_view name) noexcept;
    ~InterruptCleanupEntry();
    InterruptCleanupEntry(const InterruptCleanupEntry&) = delete;
    InterruptCleanupEntry& operator=(const InterruptCleanupEntry&) = delete;

    // Forgets the file early: once it is renamed into place or removed.
    void release() noexcept;

private:
    int m_slot { -1 };
};

}
