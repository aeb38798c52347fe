// Leaving the program: Escape does not, closing does, with the result fields emptied first and
// exit code 0.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <fstream>
#include <string>
#include <vector>

#include "driver/quillon_process_win.h"
#include "driver/windows_win.h"

namespace e2e {
namespace {

constexpr int kQueryEdit = 1008;
constexpr int kWindowStateToggle = 1011;
// Indexes among the main window's children (creation order): Type, Status, Code, Facility,
// define/code box, Description; and the four type labels.
constexpr std::array<int, 6> kResultFields{10, 12, 14, 16, 18, 20};
constexpr std::array<int, 4> kTypeSelectors{5, 6, 7, 8};

std::string DriverPath() {
  std::array<char, MAX_PATH> path{};
  const DWORD length = GetModuleFileNameA(nullptr, path.data(), MAX_PATH);
  return std::string(path.data(), length);
}

int Height(HWND window) {
  const RECT rect = OuterRect(window);
  return rect.bottom - rect.top;
}

TEST(Shutdown, EscapeInTheQueryEditDoesNotClose) {
  QuillonProcess quillon;
  const HWND main = quillon.MainWindow();
  const HWND edit = quillon.Control(kQueryEdit);
  ASSERT_TRUE(PostKey(edit, VK_ESCAPE)) << "shutdown-1.1";
  // Queued behind the key: once the window has shrunk, the key has been handled.
  ASSERT_TRUE(PostClick(quillon.Control(kWindowStateToggle))) << "shutdown-1.2";
  ASSERT_TRUE(WaitUntil([&] { return Height(main) == 75 || !IsWindow(main); }))
      << "shutdown-1.3 the queue was worked through";
  EXPECT_TRUE(IsWindow(main)) << "shutdown-1.4 the window is still there";
  EXPECT_TRUE(quillon.IsRunning()) << "shutdown-1.5 the program still runs";
}

// Out-of-context WinEvents never reach another process under Wine, so a window hook inside the
// program (close_probe_dll.cpp) records the controls at the main window's WM_DESTROY.
std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line);
  }
  return lines;
}

TEST(Shutdown, ClosingEmptiesTheResultFieldsThenExitsWithZero) {
  QuillonProcess quillon;
  const HWND main = quillon.MainWindow();
  const std::vector<HWND> children = ChildWindows(main);
  ASSERT_EQ(21u, children.size()) << "shutdown-2.1";
  for (const int field : kResultFields) {
    ASSERT_TRUE(SetTextOf(children[field], "filled by the test")) << "shutdown-2.2";
  }
  for (const int label : kTypeSelectors) {
    EnableWindow(children[label], TRUE);
    ASSERT_TRUE(IsWindowEnabled(children[label])) << "shutdown-2.3";
  }

  const HMODULE probe = LoadLibraryA((DirectoryOf(DriverPath()) + "\\e2e_close_probe.dll").c_str());
  ASSERT_NE(nullptr, probe) << "shutdown-2.4 e2e_close_probe.dll beside the driver";
  const auto hookProc =
      reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(probe, "ClosingProbe")));
  const HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, hookProc, probe, quillon.ThreadId());
  ASSERT_NE(nullptr, hook) << "shutdown-2.5 SetWindowsHookExA";

  const std::optional<DWORD> exitCode = quillon.Close(kWaitTimeoutMs);
  UnhookWindowsHookEx(hook);
  FreeLibrary(probe);
  EXPECT_EQ(0u, exitCode) << "shutdown-2.6 exit code";

  const std::vector<std::string> seen = ReadLines(quillon.Directory() + "\\close-probe.txt");
  ASSERT_EQ(21u, seen.size()) << "shutdown-2.7 the controls at WM_DESTROY were recorded";
  for (const int field : kResultFields) {
    // Result fields are enabled; "1 " and nothing after it is an empty one.
    EXPECT_EQ("1 ", seen[field]) << "shutdown-2.8 result field #" << field + 1 << " emptied";
  }
  for (const int label : kTypeSelectors) {
    EXPECT_EQ('0', seen[label].front()) << "shutdown-2.9 label #" << label + 1 << " disabled";
  }
  EXPECT_EQ("1 Error Number or Define", seen[0]) << "shutdown-2.10 plain labels untouched";
}

}  // namespace
}  // namespace e2e
