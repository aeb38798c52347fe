#include "lookup/message_source_win.h"

#include <windows.h>

#include "lookup/message_lookup.h"

namespace quillon {

namespace {

// A module opened as a data file; released when the lookup is done.
class DataFileModule {
 public:
  explicit DataFileModule(const char* name)
      : module_(LoadLibraryExA(name, nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
  ~DataFileModule() {
    if (module_ != nullptr) {
      FreeLibrary(module_);
    }
  }
  DataFileModule(const DataFileModule&) = delete;
  DataFileModule& operator=(const DataFileModule&) = delete;
  HMODULE Get() const { return module_; }

 private:
  HMODULE module_;
};

// A message text that FormatMessageA allocated; LocalFree accepts the null it leaves on failure.
class FormattedText {
 public:
  FormattedText() = default;
  ~FormattedText() { LocalFree(text_); }
  FormattedText(const FormattedText&) = delete;
  FormattedText& operator=(const FormattedText&) = delete;
  // FORMAT_MESSAGE_ALLOCATE_BUFFER takes the address of the pointer in place of a buffer.
  LPSTR BufferArgument() { return reinterpret_cast<LPSTR>(&text_); }
  const char* Get() const { return text_; }

 private:
  char* text_ = nullptr;
};

// The module whose table holds a source's texts; null for the system table.
const char* ModuleName(MessageSourceId source) {
  switch (source) {
    case MessageSourceId::Wininet:
      return "wininet";
    case MessageSourceId::Ntdll:
      return "ntdll";
    case MessageSourceId::Ntoskrnl:
      return "ntoskrnl.exe";
    case MessageSourceId::System:
      break;
  }
  return nullptr;
}

std::optional<std::string> FormatCode(DWORD options, HMODULE module, std::uint32_t code) {
  FormattedText text;
  const DWORD length = FormatMessageA(options, module, code, 0, text.BufferArgument(), 1, nullptr);
  if (length == 0 || text.Get() == nullptr) {
    return std::nullopt;
  }
  return std::string(text.Get(), length);
}

}  // namespace

std::optional<std::string> WindowsMessageSource::Message(MessageSourceId source,
                                                         std::uint32_t code) {
  const char* moduleName = ModuleName(source);
  if (moduleName == nullptr) {
    return FormatCode(kFormatFromSystem, nullptr, code);
  }
  // A module that cannot be opened leaves a null handle: FormatMessageA then searches our own
  // image, which has no message table, so the code simply counts as not found.
  const DataFileModule module(moduleName);
  return FormatCode(kFormatFromModule, module.Get(), code);
}

}  // namespace quillon
