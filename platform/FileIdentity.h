#pragma once

#include <compare>
#include <cstdint>
#include <filesystem>
#include <optional>

struct stat;

// What tells one version of a file from another without reading it: the device and inode it lives at,
// its size and the time it was last modified. A file replaced, or written over, between two looks has
// another identity (a rewrite within the file system's timestamp granularity that keeps the size is the
// one change it cannot see).
struct FileIdentity {
    std::uint64_t device { 0 };
    std::uint64_t inode { 0 };
    std::int64_t size { 0 };
    std::int64_t modifiedNanoseconds { 0 }; // Since the Unix epoch.

    auto operator<=>(const FileIdentity&) const = default;

    static FileIdentity of(const struct stat&);
};

// The identity of the file at a path, links followed; nothing when it cannot be looked at.
std::optional<FileIdentity> fileIdentity(const std::filesystem::path&);
