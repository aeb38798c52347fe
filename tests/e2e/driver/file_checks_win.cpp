#include "driver/file_checks_win.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <vector>

namespace e2e {

std::optional<std::string> ReadFileBytes(const std::string& path) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return std::nullopt;
  }
  std::string bytes;
  std::array<char, 65536> chunk{};
  DWORD read = 0;
  while (ReadFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &read, nullptr) &&
         read > 0) {
    bytes.append(chunk.data(), read);
  }
  CloseHandle(file);
  return bytes;
}

std::string ListDirectory(const std::string& directory) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA entry{};
  const HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = entry.cFileName;
      if (name != "." && name != "..") {
        names.push_back(name);
      }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
  }
  std::sort(names.begin(), names.end());
  std::string list;
  for (const std::string& name : names) {
    list += (list.empty() ? "" : " ") + name;
  }
  return list;
}

}  // namespace e2e
