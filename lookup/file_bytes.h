// A whole file's bytes, read once per run into memory of its own, so that a file changed or cut
// while the program runs cannot take the program down.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

namespace quillon {

struct FileBytes {
  std::string_view bytes;
  // Keeps the copy that bytes points into alive; copies share it.
  std::shared_ptr<const void> keeper;
};

// The file's bytes, or nothing when it cannot be opened or read (a folder, no permission).
// An empty file gives empty bytes. Never throws.
std::optional<FileBytes> ReadFileBytes(const std::filesystem::path& path);

}  // namespace quillon
