// Searches one query in quillon.exe as a user would and reports what the window shows:
// starts the program, types the query into the query edit, presses Enter (both through the
// program's message loop), then writes the enabled kinds and the six result fields to a text
// file and the window as it looks to a BMP picture, and closes the program (so its settings are
// saved as after any run). scripts/run uses it.
//
//   run_query QUILLON_EXE REPORT_TXT PICTURE_BMP [QUERY]
// Without QUERY the query is the environment variable QUILLON_QUERY, so that any text arrives
// whole where a command line would be split at its spaces (as Wine's desktop launcher does).
#include <windows.h>

#include <array>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "driver/quillon_process_win.h"
#include "driver/windows_win.h"

namespace {

using e2e::Send;
using e2e::TextOf;

constexpr int kQueryEdit = 1008;
constexpr DWORD kStartTimeoutMs = 120000;
constexpr DWORD kSearchTimeoutMs = 60000;
// Never a result: the search empties the field before it writes anything.
constexpr const char* kSentinel = "\x01 searching";

struct Kind {
  int id;
  const char* name;
};
constexpr std::array<Kind, 4> kKinds{
    {{1004, "Win32"}, {1005, "HRESULT"}, {1006, "NTSTATUS"}, {1007, "STOP"}}};

// Positions among the main window's controls, in creation order.
constexpr size_t kTypeField = 10;
constexpr size_t kStatusField = 12;
constexpr size_t kCodeField = 14;
constexpr size_t kFacilityField = 16;
constexpr size_t kGroupBox = 17;  // its caption names what the box below holds
constexpr size_t kDefineBox = 18;
constexpr size_t kDescriptionField = 20;
constexpr size_t kControlCount = 21;

int Fail(const std::string& message) {
  std::fprintf(stderr, "run_query: %s\n", message.c_str());
  return 1;
}

// Continuation lines of a multi-line field are indented under its value.
std::string Indented(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '\r') {
      continue;
    }
    out += c;
    if (c == '\n') {
      out += std::string(13, ' ');
    }
  }
  return out;
}

std::string Field(const char* label, std::string value) {
  // The system's message texts end in a line break.
  while (!value.empty() && (value.back() == '\n' || value.back() == '\r')) {
    value.pop_back();
  }
  std::array<char, 16> name{};
  std::snprintf(name.data(), name.size(), "%-13s", (std::string(label) + ":").c_str());
  return name.data() + Indented(value) + "\n";
}

// The window's outer rectangle as it is on the screen, frame included.
bool SaveWindowPicture(HWND window, const std::string& path) {
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Send(window, WM_NULL, 0, 0);
  const RECT rect = e2e::OuterRect(window);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) {
    return false;
  }
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  const HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, previous);

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up rows, as a BMP file stores them
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  std::vector<BYTE> rows(static_cast<size_t>(stride) * static_cast<size_t>(height));
  const int copied =
      GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), rows.data(), &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (copied != height) {
    return false;
  }

  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;  // "BM"
  header.bfOffBits = sizeof header + sizeof info.bmiHeader;
  header.bfSize = header.bfOffBits + static_cast<DWORD>(rows.size());
  info.bmiHeader.biSizeImage = static_cast<DWORD>(rows.size());
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    return false;
  }
  const bool ok = std::fwrite(&header, sizeof header, 1, file) == 1 &&
                  std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, file) == 1 &&
                  std::fwrite(rows.data(), rows.size(), 1, file) == 1;
  return std::fclose(file) == 0 && ok;
}

bool WriteReport(const std::string& path, const std::string& text) {
  // Written under another name and renamed, so a reader never sees half of it.
  const std::string partial = path + ".partial";
  FILE* file = std::fopen(partial.c_str(), "wb");
  if (file == nullptr) {
    return false;
  }
  const bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && ok &&
         MoveFileExA(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

class Program {
 public:
  explicit Program(const std::string& exe) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + exe + "\"";
    // Its own folder is the current directory: defines.db3 and settings.ini live there.
    const std::string directory = e2e::DirectoryOf(exe);
    if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.c_str(), &startup, &process_)) {
      process_ = {};
    }
  }
  ~Program() {
    if (process_.hProcess != nullptr) {
      if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 1);
      }
      CloseHandle(process_.hThread);
      CloseHandle(process_.hProcess);
    }
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool Started() const { return process_.hProcess != nullptr; }
  bool Running() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }

  // The main window once the program waits for input, or nullptr.
  HWND WaitForMainWindow() const {
    WaitForInputIdle(process_.hProcess, kStartTimeoutMs);
    HWND main = nullptr;
    e2e::WaitUntil(
        [&] {
          return (main = e2e::FindProcessWindow(process_.dwProcessId, "KODA_MAIN")) != nullptr ||
                 !Running();
        },
        kStartTimeoutMs);
    WaitForInputIdle(process_.hProcess, kStartTimeoutMs);
    return main;
  }

  // Closes the main window as its close button does and waits for the end of the process.
  bool Close(HWND main) const {
    PostMessageA(main, WM_CLOSE, 0, 0);
    return WaitForSingleObject(process_.hProcess, kStartTimeoutMs) == WAIT_OBJECT_0;
  }

 private:
  PROCESS_INFORMATION process_{};
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr, "usage: run_query QUILLON_EXE REPORT_TXT PICTURE_BMP [QUERY]\n");
    return 2;
  }
  const std::string exe = argv[1];
  const std::string reportPath = argv[2];
  const std::string picturePath = argv[3];
  std::string query;
  if (argc == 5) {
    query = argv[4];
  } else {
    std::array<char, 4096> value{};
    const DWORD length =
        GetEnvironmentVariableA("QUILLON_QUERY", value.data(), static_cast<DWORD>(value.size()));
    if (length == 0 || length >= value.size()) {
      return Fail("no query: give one as the last argument or in QUILLON_QUERY");
    }
    query.assign(value.data(), length);
  }

  Program program(exe);
  if (!program.Started()) {
    return Fail("cannot start " + exe + " (error " + std::to_string(GetLastError()) + ")");
  }
  const HWND main = program.WaitForMainWindow();
  if (main == nullptr) {
    return Fail("quillon.exe showed no window");
  }
  const std::vector<HWND> controls = e2e::ChildWindows(main);
  if (controls.size() != kControlCount) {
    return Fail("the main window has " + std::to_string(controls.size()) + " controls, not " +
                std::to_string(kControlCount));
  }
  const HWND edit = GetDlgItem(main, kQueryEdit);
  const HWND description = controls[kDescriptionField];

  // Typed as the keyboard would: the edit's own filters see every character, then Enter.
  if (!e2e::SetTextOf(description, kSentinel) || !e2e::PostChars(edit, query) ||
      !e2e::PostKey(edit, VK_RETURN)) {
    return Fail("quillon.exe does not take input");
  }
  // The search runs whole inside the handling of the Enter key, so a changed field means it has
  // ended.
  if (!e2e::WaitUntil([&] { return TextOf(description) != kSentinel; }, kSearchTimeoutMs)) {
    return Fail("the search did not end within a minute");
  }

  std::string kinds;
  for (const Kind& kind : kKinds) {
    if (IsWindowEnabled(GetDlgItem(main, kind.id))) {
      kinds += (kinds.empty() ? "" : ", ") + std::string(kind.name);
    }
  }
  std::string report = Field("Query", TextOf(edit));
  report += Field("Kinds", kinds.empty() ? "(none)" : kinds);
  report += Field("Type", TextOf(controls[kTypeField]));
  report += Field("Status", TextOf(controls[kStatusField]));
  report += Field("Code", TextOf(controls[kCodeField]));
  report += Field("Facility", TextOf(controls[kFacilityField]));
  report += Field(TextOf(controls[kGroupBox]).c_str(), TextOf(controls[kDefineBox]));
  report += Field("Description", TextOf(description));

  const bool pictureSaved = SaveWindowPicture(main, picturePath);
  const bool closed = program.Close(main);
  if (!WriteReport(reportPath, report)) {
    return Fail("cannot write " + reportPath);
  }
  if (!pictureSaved) {
    return Fail("cannot save the picture " + picturePath);
  }
  return closed ? 0 : Fail("quillon.exe did not end after its window was closed");
}
