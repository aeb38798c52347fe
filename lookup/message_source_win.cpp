#include "lookup/message_source_win.h"

#include <windows.h>

#include "base/scoped_win.h"

namespace quillon {

namespace {

// FormatMessageA option words: allocate the text, leave inserts as they are, and ask either
// the system table or one module's table, never both.
constexpr DWORD kFormatFromSystem = 0x1300;
constexpr DWORD kFormatFromModule = 0xB00;

std::optional<std::string> FormatCode(DWORD options, HMODULE module, std::uint32_t code) {
  char* text = nullptr;
  // FORMAT_MESSAGE_ALLOCATE_BUFFER takes the address of the pointer in place of a buffer.
  const DWORD length =
      FormatMessageA(options, module, code, 0, reinterpret_cast<LPSTR>(&text), 1, nullptr);
  const ScopedLocalText owned(text);  // null when there was no message
  if (length == 0 || text == nullptr) {
    return std::nullopt;
  }
  return std::string(text, length);
}

}  // namespace

std::optional<std::string> WindowsMessageSource::Message(MessageSourceId source,
                                                         std::uint32_t code) {
  const char* moduleName = ModuleName(source);
  if (moduleName == nullptr) {
    return FormatCode(kFormatFromSystem, nullptr, code);
  }
  // Opened for this call only. A module that cannot be opened leaves a null handle:
  // FormatMessageA then searches our own image, which has no message table, so the code
  // simply counts as not found.
  const ScopedModule module(LoadLibraryExA(moduleName, nullptr, LOAD_LIBRARY_AS_DATAFILE));
  return FormatCode(kFormatFromModule, module.get(), code);
}

}  // namespace quillon
