#include "cli/platform.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdlib>

#include "cli/terminal_text.h"

#include "lookup/message_source_win.h"

namespace quillon {

namespace {

// Standard input as ReadFile gives it: a console's line or a pipe's bytes as soon as they are
// there. A pipe whose writer has gone is the input's end.
class HandleSource final : public ByteSource {
 public:
  std::size_t Read(std::span<char> space) override {
    DWORD count = 0;
    const DWORD size = static_cast<DWORD>(std::min<std::size_t>(space.size(), 1u << 30));
    if (ReadFile(GetStdHandle(STD_INPUT_HANDLE), space.data(), size, &count, nullptr)) {
      return count;
    }
    failed_ = GetLastError() != ERROR_BROKEN_PIPE;
    return 0;
  }
  bool Failed() const override { return failed_; }

 private:
  bool failed_ = false;
};
// A console that takes the terminal's escape sequences (Windows 10 on): colours work there.
// Redirected output, or an older console, gets none by default.
bool IsColorConsole(HANDLE output) {
  DWORD mode = 0;
  return GetConsoleMode(output, &mode) != 0 &&
         ((mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0 ||
          SetConsoleMode(output, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0);
}

}  // namespace

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
  platform.input = std::make_unique<HandleSource>();
  DWORD mode = 0;
  platform.inputIsTerminal = GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
  platform.endOfInputKeys = "Ctrl-Z then Enter";
  platform.outputIsTerminal = IsColorConsole(GetStdHandle(STD_OUTPUT_HANDLE));
  platform.noColor = NoColorRequested(std::getenv("NO_COLOR"));
  return platform;
}

}  // namespace quillon
