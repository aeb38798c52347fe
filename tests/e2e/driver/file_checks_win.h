// Files as the program leaves them: read back whole, or the names a directory holds.
#pragma once

#include <optional>
#include <string>

namespace e2e {

// The whole file; nothing when it cannot be opened.
std::optional<std::string> ReadFileBytes(const std::string& path);
// Names of the files and folders in directory, sorted, space-separated, without "." and "..".
std::string ListDirectory(const std::string& directory);

}  // namespace e2e
