#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orvessa {

struct HostOptions;

// The places nothing the program writes may land in: the home, the photo folders and the folder of
// the preferences file, each wherever it resolves. A place that exists is known by its device and
// inode, so that "..", links and bind mounts cannot disguise it; one that does not exist yet is known
// by its resolved path, so that making folders cannot create it.
class ProtectedPlaces {
public:
    // The home (or the demo home), the synced photo folder, the camera roll, the --photos folder and
    // the folder that holds the preferences file.
    static ProtectedPlaces forHost(const HostOptions&);

    // Protects a place, wherever its path resolves now. `description` names it in refusals.
    void add(const std::string& description, const std::filesystem::path&);

    // The description of the protected place that holds the open folder (the folder itself or any
    // folder above it), or nothing. Throws OutputError when the folders above cannot be walked.
    std::optional<std::string> placeHolding(int folderFd) const;
    // The same for a path that need not exist: its links are followed as far as it exists, and the
    // result is checked against the places that did not exist, then its nearest existing folder
    // against the others.
    std::optional<std::string> placeHolding(const std::filesystem::path&) const;

private:
    struct Identity {
        dev_t device;
        ino_t inode;
        std::string description;
    };
    struct Pending {
        std::filesystem::path resolved;
        std::string description;
    };

    std::vector<Identity> m_existing;
    std::vector<Pending> m_missing;
};

// The absolute path with every link in it followed, as far as the path exists; a missing rest is
// appended as written, its ".." taken lexically. A dangling link is followed to where it points.
std::filesystem::path resolvedPath(const std::filesystem::path&);

}
