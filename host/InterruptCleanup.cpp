#include "host/InterruptCleanup.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <utility>

namespace orvessa {

namespace {

enum SlotState : int {
    Free,
    Filling,
    Registered,
};

// What the handler reads: plain data and lock-free atomics only, since a signal can arrive while a
// slot is being filled or emptied on any thread.
constexpr std::size_t kNameBytes = 256; // A file name and its terminating zero.
struct Slot {
    std::atomic<int> state { Free };
    int folder { -1 };
    std::array<char, kNameBytes> name {};
};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);

// A signal handler can reach no object of ours, so the registry is the one process-wide table.
constexpr std::size_t kSlots = 64;
std::array<Slot, kSlots> registry;
std::atomic<bool> ending { false };
std::atomic<int> beingMade { 0 };

// How long the handler waits for files being made on other threads: far longer than an openat
// takes, yet bounded, since the signal may have landed on a thread that is itself making one (whose
// file is registered already, so it is found all the same).
constexpr long kWaitTurns = 50'000'000;

extern "C" void removeRegisteredFiles(int signal)
{
    const int savedErrno = errno;
    ending.store(true);
    for (long turn = 0; turn < kWaitTurns && beingMade.load() > 0; ++turn) { }
    for (Slot& slot : registry) {
        if (slot.state.load(std::memory_order_acquire) == Registered)
            ::unlinkat(slot.folder, slot.name.data(), 0);
    }
    errno = savedErrno;
    // SA_RESETHAND has put the default action back; raised again, the signal ends the program once
    // this handler returns, as if it had never been caught.
    ::raise(signal);
}

}

void removeTemporaryFilesOnInterrupt()
{
    for (int signal : { SIGINT, SIGTERM, SIGHUP }) {
        struct sigaction current { };
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL)
            continue;
        struct sigaction action { };
        action.sa_handler = removeRegisteredFiles;
        action.sa_flags = SA_RESETHAND;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
}

std::optional<InterruptCleanupEntry> InterruptCleanupEntry::announce() noexcept
{
    // Counted first and checked second, as the handler sets `ending` first and reads the count
    // second: one of the two always sees the other.
    beingMade.fetch_add(1);
    if (ending.load()) {
        beingMade.fetch_sub(1);
        return std::nullopt;
    }
    InterruptCleanupEntry entry;
    entry.m_announced = true;
    return entry;
}

InterruptCleanupEntry::InterruptCleanupEntry(InterruptCleanupEntry&& other) noexcept
    : m_announced(std::exchange(other.m_announced, false))
    , m_slot(std::exchange(other.m_slot, -1))
{
}

InterruptCleanupEntry::~InterruptCleanupEntry()
{
    release();
    made();
}

void InterruptCleanupEntry::remember(int folder, std::string_view name) noexcept
{
    if (m_slot >= 0 || name.empty() || name.size() >= kNameBytes)
        return;
    for (std::size_t index = 0; index < registry.size(); ++index) {
        Slot& slot = registry[index];
        int expected = Free;
        if (!slot.state.compare_exchange_strong(expected, Filling, std::memory_order_acquire))
            continue;
        slot.folder = folder;
        std::fill(std::copy(name.begin(), name.end(), slot.name.begin()), slot.name.end(), '\0');
        slot.state.store(Registered, std::memory_order_release);
        m_slot = int(index);
        return;
    }
}

void InterruptCleanupEntry::made() noexcept
{
    if (m_announced)
        beingMade.fetch_sub(1);
    m_announced = false;
}

void InterruptCleanupEntry::release() noexcept
{
    if (m_slot < 0)
        return;
    registry[std::size_t(m_slot)].state.store(Free, std::memory_order_release);
    m_slot = -1;
}

}
