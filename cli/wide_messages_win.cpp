#include "cli/wide_messages_win.h"

#include <windows.h>

#include <algorithm>

#include "base/scoped_win.h"
#include "lookup/family_modules.h"
#include "lookup/pe_resources.h"

namespace quillon {

namespace {

// FormatMessageW option words: allocate the text, leave inserts as they are, and ask either
// the system table or one module's table, never both.
constexpr DWORD kFormatFromSystem = 0x1300;
constexpr DWORD kFormatFromModule = 0xB00;

std::optional<std::string> FormatCode(DWORD options, HMODULE module, std::uint32_t code,
                                      std::uint16_t language) {
  wchar_t* text = nullptr;
  // FORMAT_MESSAGE_ALLOCATE_BUFFER takes the address of the pointer in place of a buffer.
  const DWORD length =
      FormatMessageW(options, module, code, language, reinterpret_cast<LPWSTR>(&text), 1, nullptr);
  const ScopedLocalWideText owned(text);  // null when there was no message
  if (length == 0 || text == nullptr) {
    return std::nullopt;
  }
  return WideToUtf8(text, length);
}

std::optional<std::string> FormatInLanguages(DWORD options, HMODULE module, std::uint32_t code,
                                             const std::vector<std::uint16_t>& languages) {
  for (const std::uint16_t language : languages) {
    if (std::optional<std::string> text = FormatCode(options, module, code, language)) {
      return text;
    }
  }
  return std::nullopt;
}

std::optional<std::string> FormatFromModule(const wchar_t* file, std::uint32_t code,
                                            const std::vector<std::uint16_t>& languages) {
  // A module that cannot be opened has no texts: unlike the window's lookups, a null handle
  // is not passed on, since FormatMessage would then search our own image.
  const ScopedModule module(LoadLibraryExW(file, nullptr, LOAD_LIBRARY_AS_DATAFILE));
  if (!module) {
    return std::nullopt;
  }
  return FormatInLanguages(kFormatFromModule, static_cast<HMODULE>(module.get()), code, languages);
}

std::wstring Widen(std::string_view ascii) {
  return std::wstring(ascii.begin(), ascii.end());
}

}  // namespace

std::string WideToUtf8(const wchar_t* text, std::size_t length) {
  if (length == 0) {
    return {};
  }
  const int size = static_cast<int>(length);
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, size, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(std::max(bytes, 0)), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, size, utf8.data(), bytes, nullptr, nullptr);
  return utf8;
}

WideMessageSource::WideMessageSource(std::optional<std::uint16_t> language) {
  if (language) {
    for (const std::uint16_t id : {*language, PrimaryLanguage(*language), kUsEnglishLanguage}) {
      if (std::find(languages_.begin(), languages_.end(), id) == languages_.end()) {
        languages_.push_back(id);
      }
    }
  }
  languages_.push_back(0);  // the platform's own search: neutral, the user's, the system's
}

std::optional<std::string> WideMessageSource::Message(MessageSourceId source, std::uint32_t code) {
  const char* moduleName = ModuleName(source);
  if (moduleName == nullptr) {
    return FormatInLanguages(kFormatFromSystem, nullptr, code, languages_);
  }
  return FormatFromModule(Widen(moduleName).c_str(), code, languages_);
}

std::optional<std::string> WideMessageSource::FurtherMessage(ErrorType type, std::uint32_t code) {
  for (const FamilyModule& family : FamilyModules()) {
    if (ServesCode(family, type, code)) {
      if (std::optional<std::string> text =
              FormatFromModule(Widen(family.file).c_str(), code, languages_)) {
        return text;
      }
    }
  }
  return std::nullopt;
}

}  // namespace quillon
