#pragma once

#include <optional>
#include <string>
#include <vector>

// The names in a folder on the device, shallow, without "." and "..", in the order the system
// lists them. Nothing when the folder is missing, unreadable or not a folder.
std::optional<std::vector<std::string>> contentsOfDirectoryAtPath(const std::string& devicePath);
