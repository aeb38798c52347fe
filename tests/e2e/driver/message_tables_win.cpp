#include "driver/message_tables_win.h"

#include <windows.h>

namespace e2e {

namespace {

// FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS with FROM_SYSTEM or FROM_HMODULE.
constexpr DWORD kFromSystem = 0x1300;
constexpr DWORD kFromModule = 0xB00;

std::string Format(DWORD options, HMODULE module, std::uint32_t code) {
  char* text = nullptr;
  const DWORD length =
      FormatMessageA(options, module, code, 0, reinterpret_cast<LPSTR>(&text), 1, nullptr);
  std::string copy = length > 0 && text != nullptr ? std::string(text, length) : std::string();
  LocalFree(text);
  return copy;
}

}  // namespace

std::string SystemMessage(std::uint32_t code) {
  return Format(kFromSystem, nullptr, code);
}

std::string ModuleMessage(const char* module, std::uint32_t code) {
  const HMODULE data = LoadLibraryExA(module, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (data == nullptr) {
    return {};
  }
  std::string text = Format(kFromModule, data, code);
  FreeLibrary(data);
  return text;
}

}  // namespace e2e
