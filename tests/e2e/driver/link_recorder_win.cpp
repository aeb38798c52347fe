#include "driver/link_recorder_win.h"

#include <windows.h>

#include <array>
#include <stdexcept>

namespace e2e {

namespace {

constexpr const char* kWineBrowserKey = "Software\\Wine\\WineBrowser";
constexpr std::array<const char*, 2> kValueNames = {"Browsers", "Mailers"};

std::optional<std::string> ReadValue(HKEY key, const char* name) {
  std::array<char, 1024> buffer{};
  DWORD type = 0;
  DWORD size = static_cast<DWORD>(buffer.size() - 1);
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ) {
    return std::nullopt;
  }
  return std::string(buffer.data());
}

bool WriteValue(HKEY key, const char* name, const std::string& value) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

void WriteText(const std::string& path, const std::string& text) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  const bool ok =
      file != INVALID_HANDLE_VALUE &&
      WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
      written == text.size();
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
  }
  if (!ok) {
    throw std::runtime_error("cannot write " + path);
  }
}

std::string ReadText(const std::string& path) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return {};
  }
  std::string text;
  std::array<char, 4096> buffer{};
  DWORD read = 0;
  while (ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) &&
         read > 0) {
    text.append(buffer.data(), read);
  }
  CloseHandle(file);
  return text;
}

// Single quotes for the shell: every ' becomes '\''.
std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return quoted + "'";
}

}  // namespace

bool RunsUnderWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::optional<std::string> UnixPathOf(const std::string& windowsPath) {
  using ToUnix = char*(CDECL*)(const wchar_t*);
  const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (toUnix == nullptr) {
    return std::nullopt;
  }
  std::wstring wide(windowsPath.size() + 1, L'\0');
  const int length = MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide.data(),
                                         static_cast<int>(wide.size()));
  if (length <= 0) {
    return std::nullopt;
  }
  char* unixPath = toUnix(wide.c_str());
  if (unixPath == nullptr) {
    return std::nullopt;
  }
  std::string result(unixPath);
  HeapFree(GetProcessHeap(), 0, unixPath);
  return result;
}

LinkRecorder::LinkRecorder(const std::string& directory) : logPath_(directory + "\\links.log") {
  const std::string scriptPath = directory + "\\record-link.sh";
  const std::optional<std::string> unixScript = UnixPathOf(scriptPath);
  const std::optional<std::string> unixLog = UnixPathOf(logPath_);
  if (!unixScript || !unixLog) {
    throw std::runtime_error("no Unix path for " + directory + ": not running under Wine");
  }
  WriteText(logPath_, "");
  WriteText(scriptPath, "#!/bin/sh\nprintf '%s\\n' \"$*\" >>" + ShellQuoted(*unixLog) + "\n");

  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kWineBrowserKey, 0, nullptr, 0, KEY_READ | KEY_WRITE,
                      nullptr, &key, nullptr) != ERROR_SUCCESS) {
    throw std::runtime_error("cannot open HKCU\\" + std::string(kWineBrowserKey));
  }
  // winebrowser splits the value at commas and each entry into arguments as a command line.
  const std::string command = "/bin/sh \"" + *unixScript + "\"";
  bool ok = true;
  for (const char* name : kValueNames) {
    saved_.push_back({name, ReadValue(key, name)});
    ok = ok && WriteValue(key, name, command);
  }
  RegCloseKey(key);
  if (!ok) {
    throw std::runtime_error("cannot set the WineBrowser values");
  }
}

LinkRecorder::~LinkRecorder() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kWineBrowserKey, 0, KEY_WRITE, &key) != ERROR_SUCCESS) {
    return;
  }
  for (const SavedValue& value : saved_) {
    if (value.previous) {
      WriteValue(key, value.name, *value.previous);
    } else {
      RegDeleteValueA(key, value.name);
    }
  }
  RegCloseKey(key);
}

std::vector<std::string> LinkRecorder::Lines() const {
  std::vector<std::string> lines;
  const std::string text = ReadText(logPath_);
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    start = end == std::string::npos ? text.size() : end + 1;
  }
  return lines;
}

}  // namespace e2e
