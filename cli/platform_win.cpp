#include "cli/file_source.h"
#include "cli/platform.h"

#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "core/terminal_text.h"

#include "cli/utf8_prefix.h"
#include "cli/wide_messages_win.h"
#include "lookup/language_names.h"

namespace quillon {

namespace {

// Standard output's buffer where it is no console.
constexpr std::size_t kOutputBuffer = std::size_t{1} << 16;

// A handle as ReadFile gives it: a console's line or a pipe's bytes as soon as they are there;
// a disk file's in whole pieces. A pipe whose writer has gone is the input's end.
class HandleSource final : public ByteSource {
 public:
  // owned: closed with the source (a file opened here, not standard input).
  HandleSource(HANDLE handle, bool owned)
      : handle_(handle), owned_(owned), disk_(GetFileType(handle) == FILE_TYPE_DISK) {}
  HandleSource(const HandleSource&) = delete;
  HandleSource& operator=(const HandleSource&) = delete;
  ~HandleSource() override {
    if (owned_) {
      CloseHandle(handle_);
    }
  }

  std::size_t Read(std::span<char> space) override {
    std::size_t filled = 0;
    while (filled < space.size()) {
      DWORD count = 0;
      const DWORD size = static_cast<DWORD>(std::min<std::size_t>(space.size() - filled, 1u << 30));
      if (!ReadFile(handle_, space.data() + filled, size, &count, nullptr)) {
        failed_ = GetLastError() != ERROR_BROKEN_PIPE;
        break;
      }
      filled += count;
      if (count == 0 || !disk_) {
        break;
      }
    }
    return filled;
  }
  bool Failed() const override { return failed_; }

 private:
  HANDLE handle_;
  bool owned_;
  bool disk_;
  bool failed_ = false;
};

// errno's value nearest to a failed CreateFileW's reason, for the message naming the file.
int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return EACCES;
    default:
      return EIO;
  }
}

// A console that takes the terminal's escape sequences (Windows 10 on): colours work there.
// Redirected output, or an older console, gets none by default.
bool IsColorConsole(HANDLE output) {
  DWORD mode = 0;
  return GetConsoleMode(output, &mode) != 0 &&
         ((mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0 ||
          SetConsoleMode(output, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0);
}

// Standard output when it is a console: the program's UTF-8 written as wide characters, which
// a console shows whatever its code page. Bytes of a character cut between two writes wait for
// the rest.
class ConsoleBuffer final : public std::streambuf {
 public:
  explicit ConsoleBuffer(HANDLE console) : console_(console) {}
  ~ConsoleBuffer() override { sync(); }

 protected:
  int_type overflow(int_type c) override {
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      pending_ += traits_type::to_char_type(c);
      if (pending_.size() >= kChunk) {
        Write();
      }
    }
    return traits_type::not_eof(c);
  }
  std::streamsize xsputn(const char* text, std::streamsize count) override {
    pending_.append(text, static_cast<std::size_t>(count));
    if (pending_.size() >= kChunk) {
      Write();
    }
    return count;
  }
  int sync() override { return Write() ? 0 : -1; }

 private:
  static constexpr std::size_t kChunk = 1 << 14;

  bool Write() {
    const std::size_t whole = WholeUtf8Prefix(pending_);
    if (whole == 0) {
      return true;
    }
    const int bytes = static_cast<int>(whole);
    const int units = MultiByteToWideChar(CP_UTF8, 0, pending_.data(), bytes, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(units > 0 ? units : 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, pending_.data(), bytes, wide.data(), units);
    pending_.erase(0, whole);
    DWORD written = 0;
    return wide.empty() || WriteConsoleW(console_, wide.data(), static_cast<DWORD>(wide.size()),
                                         &written, nullptr) != 0;
  }

  HANDLE console_;
  std::string pending_;
};

}  // namespace

CommandPlatform CurrentPlatform(const std::optional<std::string>& language) {
  CommandPlatform platform;
  std::array<wchar_t, 32768> path{};
  const DWORD capacity = static_cast<DWORD>(path.size());
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), capacity);
  // A cut path would name the wrong folder; then the database is looked for nowhere.
  if (length != 0 && length < capacity) {
    platform.programPath = std::filesystem::path(std::wstring(path.data(), length));
  }
  platform.input = std::make_unique<HandleSource>(GetStdHandle(STD_INPUT_HANDLE), false);
  DWORD mode = 0;
  platform.inputIsTerminal = GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
  platform.endOfInputKeys = "Ctrl-Z then Enter";
  platform.outputIsTerminal = IsColorConsole(GetStdHandle(STD_OUTPUT_HANDLE));
  platform.noColor = NoColorRequested(std::getenv("NO_COLOR"));
  const UINT folderLength = GetWindowsDirectoryW(path.data(), capacity);
  if (folderLength != 0 && folderLength < capacity) {
    platform.windowsDirectory = std::filesystem::path(std::wstring(path.data(), folderLength));
  }
  platform.language = LanguageOfId(static_cast<std::uint16_t>(GetUserDefaultUILanguage()))
                          .value_or(kUsEnglish)
                          .name;
  // With no --lang the platform's own order of languages holds, as FormatMessage's callers know it.
  const std::optional<Language> named = language ? FindLanguage(*language) : std::nullopt;
  platform.ownMessages = std::make_unique<WideMessageSource>(
      named ? std::optional<std::uint16_t>(named->id) : std::nullopt);
  return platform;
}

std::unique_ptr<ByteSource> OpenFileSource(const std::string& path, int& error) {
  // The path is UTF-8; the ANSI functions would take it in the code page.
  const int units =
      MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(units > 0 ? units : 0), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), wide.data(), units);
  const HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (path.empty() || file == INVALID_HANDLE_VALUE) {
    error = path.empty() ? ENOENT : ErrnoOf(GetLastError());
    if (file != INVALID_HANDLE_VALUE) {
      CloseHandle(file);
    }
    return nullptr;
  }
  return std::make_unique<HandleSource>(file, true);
}

std::vector<std::string> CommandArguments(int /*argc*/, char** /*argv*/) {
  int count = 0;
  wchar_t** const wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 1; wide != nullptr && i < count; ++i) {
    args.push_back(WideToUtf8(wide[i], wcslen(wide[i])));
  }
  LocalFree(static_cast<HLOCAL>(wide));
  return args;
}

std::unique_ptr<std::streambuf> ConsoleOutputBuffer() {
  const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (output == INVALID_HANDLE_VALUE || output == nullptr || GetConsoleMode(output, &mode) == 0) {
    // A file, a pipe or a device such as NUL: the UTF-8 bytes as they are, in whole buffers.
    // The C runtime takes a device for a terminal and would write each piece as it comes (a
    // scan's output to NUL, a line at a time, was 7 MB/s under Wine); the program flushes
    // wherever it waits, as it does on Linux, where only a terminal is written line by line.
    std::setvbuf(stdout, nullptr, _IOFBF, kOutputBuffer);
    return nullptr;
  }
  return std::make_unique<ConsoleBuffer>(output);
}

}  // namespace quillon
