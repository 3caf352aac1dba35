#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The names in a folder on the device, shallow, without "." and "..", in the order the system
// lists them. Nothing when the folder is missing, unreadable or not a folder.
std::optional<std::vector<std::string>> contentsOfDirectoryAtPath(const std::string& devicePath);

// The same names, each handed to `visit` as it is read, without a copy: the view lives only for the
// call. Makes no allocation per entry and looks at no entry's metadata, for folders of many
// thousands of names. False, with no call, when the folder is missing, unreadable or not a folder.
bool forEachNameInDirectory(const std::string& devicePath, const std::function<void(std::string_view name)>& visit);

// About how many entries a folder holds, from the size the file system gives the folder itself (on
// the common ones it grows by some 20 to 40 bytes an entry), at most kMaximumEntryEstimate; 0 when
// there is no folder. One stat, no listing: a hint for reserving room, never a count to rely on.
inline constexpr std::size_t kMaximumEntryEstimate = 1 << 18;
std::size_t estimatedEntryCount(const std::string& devicePath);
