#pragma once

#include <optional>
#include <string_view>

namespace orvessa {

// Temporary files removed when the program is stopped by a signal: a recording ended with Ctrl-C
// must not leave its hidden `.NAME.tmp-*` files beside the frames.
//
// On SIGINT, SIGTERM or SIGHUP the handler stops new temporary files from being made, waits for
// those being made on other threads, removes every one registered, then lets the signal end the
// program as it would have. A signal the program ignores (nohup) stays ignored. Call once, before
// any file is written, from a command that has no handler of its own: the window quits on Ctrl-C
// through SDL's, which SDL installs only where it finds none.
void removeTemporaryFilesOnInterrupt();

// One temporary file's registration, from just before it is made until it is renamed or removed.
// Safe from any thread. When every place is taken (more files being written at once than any
// command makes) the file is simply not registered.
class InterruptCleanupEntry {
public:
    // Announces a file about to be made, so that a signal arriving meanwhile waits for it; nothing
    // once a signal is being handled and the program is ending.
    static std::optional<InterruptCleanupEntry> announce() noexcept;

    InterruptCleanupEntry(InterruptCleanupEntry&&) noexcept;
    InterruptCleanupEntry& operator=(InterruptCleanupEntry&&) = delete;
    ~InterruptCleanupEntry();

    // Registers the file before it is made, `name` in the folder open as `folder` (which must stay
    // open until release): a signal that lands on this very thread before made() still finds it.
    void remember(int folder, std::string_view name) noexcept;
    // Ends the announcement once the file exists, or making it failed.
    void made() noexcept;
    // Forgets the file: once it is renamed into place or removed, or was never made.
    void release() noexcept;

private:
    InterruptCleanupEntry() = default;

    bool m_announced { false };
    int m_slot { -1 };
};

}
