#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Paths that share a few folders, kept as each folder's prefix once, every name in one block, and a
// small record a path: a list of a hundred thousand photos costs a handful of allocations, not one a
// path, and copies or frees in one go. Entries keep their order, and swap in place for shuffling.
class PathList {
public:
    // Room for `entries` paths whose names add up to about `nameBytes`: a hint, never a limit.
    void reserve(std::size_t entries, std::size_t nameBytes);

    // The names appended after this belong under `prefix`, which holds all of a path but its name
    // (its trailing slash included).
    void startFolder(std::string prefix);
    // One path: the current folder's prefix and `name`. Names longer than a file system allows, or
    // past 4 GiB of names in all, are refused with std::length_error.
    void append(std::string_view name);

    std::size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    // The whole path of entry `index`, made on request; at() throws std::out_of_range past the end.
    std::string operator[](std::size_t index) const;
    std::string at(std::size_t index) const;
    std::vector<std::string> paths() const;

    void swapEntries(std::size_t a, std::size_t b);

private:
    struct Entry {
        std::uint32_t nameOffset;
        std::uint16_t nameLength;
        std::uint16_t folder;
    };
    std::vector<std::string> m_prefixes;
    std::string m_names;
    std::vector<Entry> m_entries;
};
