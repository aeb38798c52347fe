#include "cli/platform.h"

#include <windows.h>

#include <array>

#include "lookup/message_source_win.h"

namespace quillon {

CommandPlatform CurrentPlatform() {
  CommandPlatform platform;
  std::array<wchar_t, 32768> path{};
  const DWORD capacity = static_cast<DWORD>(path.size());
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), capacity);
  // A cut path would name the wrong folder; then the database is looked for nowhere.
  if (length != 0 && length < capacity) {
    platform.programPath = std::filesystem::path(std::wstring(path.data(), length));
  }
  platform.ownMessages = std::make_unique<WindowsMessageSource>();
  return platform;
}

}  // namespace quillon
