#pragma once

#include "host/FileDescriptor.h"
#include "host/PendingFile.h"
#include "host/ProtectedPlaces.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace orvessa {

// Receives encoded bytes in order; throws OutputError when they cannot be written.
using ByteSink = std::function<void(std::span<const std::uint8_t>)>;
// Streams a file's bytes into the sink it is given, in as many pieces as it likes.
using ByteProducer = std::function<void(const ByteSink&)>;

// The one way the program writes a file. The folder is opened once and checked against the protected
// places; each write then makes a new file beside its target (never following a link), writes it,
// whole or as it goes, and renames it over the target. So no partly written file ever stands under the target's name, a
// link there is replaced rather than written through, another hard link to the old file keeps its
// data, and a failed write leaves no temporary file behind.
// NOTE: Writes are safe from several threads at once; each uses only the open folder.
class OutputFolder {
public:
    // Opens a folder that exists (links in its path are followed); refuses one that lies in a protected
    // place. Throws OutputError naming `shownInErrors`, by default the folder.
    static OutputFolder open(const std::filesystem::path&, ProtectedPlaces, const std::filesystem::path& shownInErrors = {});
    // As open, making the folder and any missing above it, once it is clear that none of them would
    // lie in a protected place.
    static OutputFolder create(const std::filesystem::path&, ProtectedPlaces);

    const std::filesystem::path& path() const { return m_path; }

    // Refuses a name that is a folder, or a link that points into a protected place (dangling or not).
    // Any other link is replaced by the next write; the file it points at is left alone.
    void checkTarget(std::string_view name) const;

    // A file to write as its bytes are made, checked as checkTarget does; commit() puts it in place.
    PendingFile startWriting(std::string_view name, WriteMode) const;
    void write(std::string_view name, std::span<const std::uint8_t> bytes, WriteMode) const;
    // The producer's exceptions pass through, after the temporary file is removed.
    void write(std::string_view name, const ByteProducer&, WriteMode) const;

private:
    OutputFolder(std::filesystem::path, std::filesystem::path absolute, FileDescriptor, ProtectedPlaces);

    std::filesystem::path m_path; // As the user gave it, for messages.
    std::filesystem::path m_absolute; // Where a relative link in the folder starts from.
    FileDescriptor m_folder;
    ProtectedPlaces m_places;
};

// One file the user named: checked when prepared, so a refusal comes before any work, and written
// durably through its folder.
class OutputFile {
public:
    static OutputFile prepare(const std::filesystem::path& target, ProtectedPlaces);

    const std::filesystem::path& path() const { return m_path; }
    void write(std::span<const std::uint8_t>) const;
    // The same file written as it goes: durable once committed, gone if dropped before.
    PendingFile startWriting() const;

private:
    OutputFile(std::filesystem::path, OutputFolder, std::string name);

    std::filesystem::path m_path;
    OutputFolder m_folder;
    std::string m_name;
};

}
