// The About window: where it opens, its 19 controls, the main window disabled while it is open
// and back in front after it closes, and its four links, each opening its target once.
// One running quillon.exe serves the whole suite; each test opens and closes its own About.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <cstdio>
#include <exception>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "driver/link_recorder_win.h"
#include "driver/processes_win.h"
#include "driver/program_copy_win.h"
#include "driver/quillon_process_win.h"
#include "driver/screenshot_win.h"
#include "driver/windows_win.h"

namespace e2e {
namespace {

constexpr int kAboutButton = 1009;
constexpr int kWindowStateToggle = 1011;
constexpr int kCentredLeft = 237;  // the main window centred on the 1024x768 test screen
constexpr int kCentredTop = 234;
// Starting the shell's handler under an emulator can take seconds.
constexpr DWORD kLinkTimeoutMs = 60000;
constexpr const char* kBrowserProcess = "winebrowser.exe";

std::string Hex(DWORD value) {
  std::array<char, 16> text{};
  std::snprintf(text.data(), text.size(), "0x%08lX", static_cast<unsigned long>(value));
  return text.data();
}

std::string Describe(const RECT& rect) {
  std::array<char, 64> text{};
  std::snprintf(text.data(), text.size(), "(%ld,%ld)-(%ld,%ld)", rect.left, rect.top, rect.right,
                rect.bottom);
  return text.data();
}

RECT WorkArea() {
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

bool MoveTo(HWND window, int left, int top) {
  SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return WaitUntil([&] {
    const RECT rect = OuterRect(window);
    return rect.left == left && rect.top == top;
  });
}

// A mouse click as the control's own procedure gets it: SS_NOTIFY statics answer the press with
// STN_CLICKED. Sent, so whatever the click does has been done when this returns.
bool SendMouse(HWND control, UINT message, DWORD timeoutMs = kMessageTimeoutMs) {
  const WPARAM keys = message == WM_LBUTTONUP ? 0 : MK_LBUTTON;
  return Send(control, message, keys, MAKELPARAM(2, 2), timeoutMs).has_value();
}

// The press, release, second press and release of a double click: the second press arrives as
// WM_LBUTTONDBLCLK (the STATIC class has CS_DBLCLKS), which notifies STN_DBLCLK.
bool SendDoubleClick(HWND control, DWORD timeoutMs = kMessageTimeoutMs) {
  return SendMouse(control, WM_LBUTTONDOWN, timeoutMs) && SendMouse(control, WM_LBUTTONUP) &&
         SendMouse(control, WM_LBUTTONDBLCLK, timeoutMs) && SendMouse(control, WM_LBUTTONUP);
}

std::string NewTempDirectory(const char* stem) {
  std::array<char, MAX_PATH> temp{};
  GetTempPathA(static_cast<DWORD>(temp.size()), temp.data());
  for (int attempt = 0;; ++attempt) {
    const std::string path = std::string(temp.data()) + stem + "-" +
                             std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt);
    if (CreateDirectoryA(path.c_str(), nullptr) || attempt > 100) {
      return path;
    }
  }
}

void RemoveFlatDirectory(const std::string& directory) {
  WIN32_FIND_DATAA entry{};
  const HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      DeleteFileA((directory + "\\" + entry.cFileName).c_str());
    } while (FindNextFileA(search, &entry));
    FindClose(search);
  }
  RemoveDirectoryA(directory.c_str());
}

class About : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    try {
      quillon_ = std::make_unique<QuillonProcess>();
    } catch (const std::exception& error) {
      startError_ = error.what();
    }
  }
  static void TearDownTestSuite() { quillon_.reset(); }

  void SetUp() override {
    ASSERT_TRUE(quillon_) << "about-0.1 " << startError_;
    ASSERT_TRUE(quillon_->IsRunning()) << "about-0.2 quillon.exe ended";
  }
  void TearDown() override { Close(); }

  HWND Main() const { return quillon_->MainWindow(); }

  // Clicks the main window's About button and waits for the About window.
  HWND Open() {
    if (!SendMouse(quillon_->Control(kAboutButton), WM_LBUTTONDOWN) ||
        !SendMouse(quillon_->Control(kAboutButton), WM_LBUTTONUP)) {
      return nullptr;
    }
    WaitUntil([&] { return (about_ = FindProcessWindow(quillon_->ProcessId(), "KODA_ABOUT")); });
    return about_;
  }

  // Posts WM_CLOSE, as the close button does, and waits until the window is gone.
  bool Close() {
    if (about_ == nullptr) {
      return true;
    }
    PostMessageA(about_, WM_CLOSE, 0, 0);
    return WaitForClosed();
  }

  bool WaitForClosed() {
    const HWND about = about_;
    about_ = nullptr;
    return WaitUntil([&] { return !IsWindow(about); });
  }

  // Every message posted to the program's thread before this call has been handled when it
  // returns true: the window-state toggle is posted behind them and its effect waited for, then
  // toggled back. (Not the on-top toggle: with an owned window open, the system gives the
  // topmost mark to the owned window, not to the main window.)
  bool PostedMessagesHandled() {
    const auto height = [&] {
      const RECT rect = OuterRect(Main());
      return rect.bottom - rect.top;
    };
    const int before = height();
    for (const int expected : {before == 300 ? 75 : 300, before}) {
      PostMessageA(Main(), WM_COMMAND, MAKEWPARAM(kWindowStateToggle, 0), 0);
      if (!WaitUntil([&] { return height() == expected; })) {
        return false;
      }
    }
    return true;
  }

  static std::unique_ptr<QuillonProcess> quillon_;
  static std::string startError_;
  HWND about_ = nullptr;
};

std::unique_ptr<QuillonProcess> About::quillon_;
std::string About::startError_;

TEST_F(About, OpensAsAnOwnedFixedWindowCentredOnTheMainWindow) {
  ASSERT_TRUE(Open()) << "about-1.1 the About window appears";
  const WindowFacts about = DescribeWindow(about_);
  EXPECT_EQ("About", about.text) << "about-1.2 title";
  EXPECT_EQ(Main(), GetWindow(about_, GW_OWNER)) << "about-1.3 owned by the main window";
  // Asked for: WS_VISIBLE | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU; the system adds
  // WS_CLIPSIBLINGS to every top-level window.
  EXPECT_EQ(Hex(0x12C80000 | WS_CLIPSIBLINGS), Hex(about.style)) << "about-1.4 style";
  // Asked for: WS_EX_APPWINDOW; the caption brings WS_EX_WINDOWEDGE.
  EXPECT_EQ(Hex(WS_EX_APPWINDOW | WS_EX_WINDOWEDGE), Hex(about.exStyle))
      << "about-1.5 extended style";
  // Main window (237,234) 550x300: x = 237 + 275 - 180, y = 234 + 150 - 150.
  EXPECT_EQ(Describe({332, 234, 332 + 361, 234 + 300}), Describe(about.rect))
      << "about-1.6 outer rectangle, centred on the main window";
}

struct Placement {
  const char* step;
  int mainLeft, mainTop;
  int aboutLeft, aboutTop;
};

// On the 1024x768 work area of the test screen. KeepOnMonitor's margins are 560 and 310 for
// whichever window it moves, so a pulled-back About window keeps 1024 - 464 - 361 = 199 pixels
// to the right edge and 768 - 458 - 300 = 10 to the bottom.
constexpr std::array<Placement, 3> kPlacements{{
    // Centred at (700, 500): its right edge 1061 and bottom 800 lie outside.
    {"about-2.2 near the right and bottom edges", 605, 500, 1024 - 560, 768 - 310},
    // Centred at (-35, -60): left and top outside.
    {"about-2.3 beyond the left and top edges", -130, -60, 0, 0},
    // Centred at (45, 168): inside, not moved.
    {"about-2.4 inside near the left edge", -50, 168, 45, 168},
}};

TEST_F(About, IsPulledBackInsideTheWorkAreaOfTheMainWindowsMonitor) {
  const RECT work = WorkArea();
  ASSERT_EQ(Describe({0, 0, 1024, 768}), Describe(work)) << "about-2.1 the test screen's work area";
  for (const Placement& placement : kPlacements) {
    SCOPED_TRACE(placement.step);
    ASSERT_TRUE(MoveTo(Main(), placement.mainLeft, placement.mainTop)) << "main window moved";
    ASSERT_TRUE(Open());
    const RECT rect = OuterRect(about_);
    EXPECT_EQ(Describe({placement.aboutLeft, placement.aboutTop, placement.aboutLeft + 361,
                        placement.aboutTop + 300}),
              Describe(rect));
    ASSERT_TRUE(Close());
  }
  EXPECT_TRUE(MoveTo(Main(), kCentredLeft, kCentredTop)) << "about-2.5 main window back";
}

struct ExpectedControl {
  const char* className;
  const char* text;
  DWORD style;
  int x, y, width, height;
  int id;
};

constexpr DWORD kText = 0x50000000;
constexpr DWORD kIcon = 0x50000203;
constexpr DWORD kLine = 0x50000010;
constexpr DWORD kLink = 0x50000100;

// In creation order.
constexpr std::array<ExpectedControl, 19> kControls{{
    {"Static", "Quillon", kText, 85, 8, 190, 17, 0},
    {"Static", "Version 3.0.5", kText, 134, 30, 125, 15, 0},
    {"Static", "", kIcon, 78, 64, 33, 33, 0},
    {"Static", "", kIcon, 134, 64, 33, 33, 0},
    {"Static", "", kIcon, 186, 64, 33, 33, 0},
    {"Static", "", kIcon, 242, 64, 33, 33, 0},
    {"Static", "View descriptions and defines for Windows Error Codes:", kText, 15, 114, 325, 15,
     0},
    {"Static", "Win32, HRESULT, NTSTATUS, STOP", kText, 78, 132, 221, 15, 0},
    {"Static", "Total defines supported:", kText, 12, 160, 165, 15, 0},
    {"Static", "Win32: 2,527", kText, 68, 178, 77, 15, 0},  // the totals: see kFirstTotal
    {"Static", "NTSTATUS: 1,730", kText, 68, 198, 165, 15, 0},
    {"Static", "HRESULT: 1,767", kText, 192, 178, 200, 15, 0},
    {"Static", "STOP: 318", kText, 192, 198, 77, 15, 0},
    {"Static", "", kLine, 2, 152, 367, 6, 0},
    {"Static", "", kLine, 0, 222, 367, 6, 0},
    {"KODA_ERRTYPE", "http://quillon.example", kLink, 10, 236, 165, 13, 1012},
    {"KODA_ERRTYPE", "help@quillon.example", kLink, 180, 236, 135, 13, 1013},
    {"KODA_ERRTYPE", "Found a bug?  Report it here.", kLink, 180, 254, 175, 13, 1014},
    {"KODA_ERRTYPE", "KODA Support Forum", kLink, 10, 254, 140, 13, 1015},
}};

// The four totals, whose fixed texts above stand when the database cannot be counted; with the
// generated database they are its row counts, which the build wrote beside the driver.
constexpr size_t kFirstTotal = 9;
std::vector<std::string> BuiltTotals() {
  std::ifstream file(BesideDriver("about-totals.txt"));
  std::vector<std::string> totals;
  for (std::string line; std::getline(file, line);) {
    totals.push_back(line.substr(0, line.find_last_not_of("\r") + 1));
  }
  return totals;
}

std::vector<std::string> TotalTexts(HWND about) {
  const std::vector<HWND> children = ChildWindows(about);
  std::vector<std::string> texts;
  for (size_t i = kFirstTotal; i < kFirstTotal + 4 && i < children.size(); ++i) {
    texts.push_back(TextOf(children[i]));
  }
  return texts;
}

TEST_F(About, HoldsItsNineteenControlsInOrder) {
  ASSERT_TRUE(Open()) << "about-3.0";
  const std::vector<HWND> children = ChildWindows(about_);
  ASSERT_EQ(kControls.size(), children.size()) << "about-3.1 number of controls";

  for (size_t i = 0; i < kControls.size(); ++i) {
    const ExpectedControl& expected = kControls[i];
    const WindowFacts actual = DescribeWindow(children[i]);
    std::array<char, 96> step{};
    std::snprintf(step.data(), step.size(), "about-3.%zu control #%zu \"%s\"", i + 2, i + 1,
                  expected.text);
    SCOPED_TRACE(step.data());
    EXPECT_TRUE(SameTextNoCase(expected.className, actual.className)) << actual.className;
    if (i < kFirstTotal || i >= kFirstTotal + 4) {
      EXPECT_EQ(expected.text, actual.text);
    }
    EXPECT_EQ(expected.id, actual.id);
    EXPECT_EQ(Hex(expected.style), Hex(actual.style));
    RECT rect{expected.x, expected.y, expected.x + expected.width, expected.y + expected.height};
    if (expected.style == kLine) {
      // The system gives an etched line a static edge and sizes it to the edge's thickness:
      // where it starts and that it spans the asked width are the program's.
      EXPECT_EQ(0u, actual.exStyle & ~DWORD{WS_EX_STATICEDGE}) << Hex(actual.exStyle);
      EXPECT_GT(actual.rect.bottom, actual.rect.top);
      EXPECT_LE(actual.rect.bottom - actual.rect.top, expected.height);
      EXPECT_GE(actual.rect.right, rect.right);
      EXPECT_LE(actual.rect.right, rect.right + 2 * GetSystemMetrics(SM_CXEDGE));
      rect.right = actual.rect.right;
      rect.bottom = actual.rect.bottom;
    } else {
      EXPECT_EQ(Hex(0), Hex(actual.exStyle));
    }
    EXPECT_EQ(Describe(rect), Describe(actual.rect));
  }
}

TEST_F(About, TotalsCountTheRowsOfEachTable) {
  ASSERT_TRUE(Open()) << "about-9.0";
  const std::vector<std::string> expected = BuiltTotals();
  ASSERT_EQ(4u, expected.size()) << "about-9.1 about-totals.txt beside the driver";
  EXPECT_EQ(expected, TotalTexts(about_)) << "about-9.2";
}

TEST_F(About, ADatabaseThatCannotBeCountedKeepsTheFixedTotals) {
  // Another program's database: a Win32 table without the code column, no other tables.
  const ProgramWithDefines program(BesideDriver("database-tests\\other_tables.db3"));
  QuillonProcess quillon;
  const HWND button = quillon.Control(kAboutButton);
  ASSERT_TRUE(SendMouse(button, WM_LBUTTONDOWN) && SendMouse(button, WM_LBUTTONUP)) << "about-10.0";
  HWND about = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    return (about = FindProcessWindow(quillon.ProcessId(), "KODA_ABOUT"));
  })) << "about-10.1";
  EXPECT_EQ(
      (std::vector<std::string>{"Win32: 2,527", "NTSTATUS: 1,730", "HRESULT: 1,767", "STOP: 318"}),
      TotalTexts(about))
      << "about-10.2";
  PostMessageA(about, WM_CLOSE, 0, 0);
  WaitUntil([&] { return !IsWindow(about); });
}

TEST_F(About, ShowsTheFourSystemIconsAndABoldHeading) {
  ASSERT_TRUE(Open()) << "about-4.0";
  const std::vector<HWND> children = ChildWindows(about_);
  ASSERT_EQ(19u, children.size()) << "about-4.1";
  const Pixels shot = Pixels::CaptureClient(about_);
  constexpr std::array<int, 4> kSystemIcons = {32513, 32514, 32515, 32516};  // hand .. asterisk
  for (size_t i = 0; i < kSystemIcons.size(); ++i) {
    SCOPED_TRACE("about-4." + std::to_string(i + 2) + " icon " + std::to_string(kSystemIcons[i]));
    const auto icon =
        static_cast<HICON>(LoadImageA(nullptr, MAKEINTRESOURCEA(kSystemIcons[i]), IMAGE_ICON, 32,
                                      32, LR_SHARED | LR_LOADMAP3DCOLORS));
    ASSERT_NE(nullptr, icon);
    const Pixels expected = Pixels::OfIcon(icon, 32, GetSysColor(COLOR_BTNFACE));
    // 32 pixels centred in 33: the spare row and column are on the right and at the bottom.
    const RECT control = DescribeWindow(children[2 + i]).rect;
    const Pixels shown =
        shot.Crop({control.left, control.top, control.left + 32, control.top + 32});
    const int differences = expected.Differences(shown);
    EXPECT_EQ(0, differences);
    if (differences != 0) {
      KeepForInspection(shown, "about-icon-" + std::to_string(i) + "-shown");
      KeepForInspection(expected, "about-icon-" + std::to_string(i) + "-expected");
    }
  }

  // Fonts cannot be asked for across processes: the heading's ink is compared with the same
  // word in the version line, which has the normal font.
  const auto inkWidth = [&](HWND control) {
    const Pixels picture = Pixels::CaptureClient(about_);
    const auto [first, last] = picture.InkColumns(DescribeWindow(control).rect);
    return first < 0 ? 0 : last - first + 1;
  };
  ASSERT_TRUE(SetTextOf(children[1], "Quillon")) << "about-4.6";
  const int normal = inkWidth(children[1]);
  EXPECT_GT(normal, 0) << "about-4.7 normal text drawn";
  EXPECT_GT(inkWidth(children[0]), normal) << "about-4.8 the heading is bold";
}

TEST_F(About, DisablesTheMainWindowUntilClosedAndIgnoresEscapeAndEnter) {
  ASSERT_TRUE(IsWindowEnabled(Main())) << "about-5.1 enabled before";
  ASSERT_TRUE(Open()) << "about-5.2";
  EXPECT_FALSE(IsWindowEnabled(Main())) << "about-5.3 disabled while the About window is open";
  EXPECT_EQ(about_, GetForegroundWindow()) << "about-5.4 the About window is in front";

  // The dialog keyboard handling covers the main window only.
  for (const UINT key : {VK_ESCAPE, VK_RETURN}) {
    PostKey(about_, key);
  }
  ASSERT_TRUE(PostedMessagesHandled()) << "about-5.5";
  EXPECT_TRUE(IsWindowVisible(about_)) << "about-5.6 still open after Escape and Enter";
  EXPECT_FALSE(IsWindowEnabled(Main())) << "about-5.7 main window still disabled";
}

struct CloseWay {
  const char* step;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

constexpr std::array<CloseWay, 3> kCloseWays{{
    {"about-6.1 close button (WM_CLOSE)", WM_CLOSE, 0, 0},
    {"about-6.2 system menu Close", WM_SYSCOMMAND, SC_CLOSE, 0},
    // Alt held: bit 29 of the key data.
    {"about-6.3 Alt+F4", WM_SYSKEYDOWN, VK_F4, 0x20000001},
}};

TEST_F(About, ClosingEnablesTheMainWindowAndBringsItToTheFront) {
  for (const CloseWay& way : kCloseWays) {
    SCOPED_TRACE(way.step);
    ASSERT_TRUE(Open());
    ASSERT_NE(Main(), GetForegroundWindow()) << "the main window is not in front beforehand";
    PostMessageA(about_, way.message, way.wParam, way.lParam);
    EXPECT_TRUE(WaitForClosed()) << "the About window closes";
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(Main()) != FALSE; })) << "enabled again";
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == Main(); }))
        << "the main window is in front";
  }
}

// Shared by the two link tests: a recorder in its own directory, skipped outside Wine.
class RecorderDirectory {
 public:
  RecorderDirectory() : path_(NewTempDirectory("quillon-links")) {}
  ~RecorderDirectory() { RemoveFlatDirectory(path_); }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

TEST_F(About, ClicksOnOtherControlsAndDoubleClicksDoNothing) {
  if (!RunsUnderWine()) {
    GTEST_SKIP() << "the shell's handlers are caught through Wine's winebrowser only";
  }
  RecorderDirectory directory;
  LinkRecorder recorder(directory.Path());
  ASSERT_TRUE(Open()) << "about-7.0";
  const std::vector<HWND> children = ChildWindows(about_);
  ASSERT_EQ(19u, children.size()) << "about-7.1";
  ASSERT_EQ(0, CountProcesses(kBrowserProcess)) << "about-7.2 no handler runs beforehand";

  for (size_t i = 0; i < 15; ++i) {
    EXPECT_TRUE(SendDoubleClick(children[i])) << "about-7.3 control #" << i + 1;
  }
  // The second click of a double click on a link, alone, and commands no control sends.
  for (int id = 1012; id <= 1015; ++id) {
    EXPECT_TRUE(Send(about_, WM_COMMAND, MAKEWPARAM(id, STN_DBLCLK), 0)) << "about-7.4 " << id;
  }
  for (const int id : {0, 1, 1001, 1009, 1011, 1016, 0xFFFF}) {
    EXPECT_TRUE(Send(about_, WM_COMMAND, MAKEWPARAM(id, 0), 0)) << "about-7.5 " << id;
  }
  // ShellExecute starts its handler before it returns, so any opened target shows here now.
  EXPECT_EQ(0, CountProcesses(kBrowserProcess)) << "about-7.6 nothing was opened";
  const std::vector<std::string> opened = recorder.Lines();
  EXPECT_TRUE(opened.empty()) << "about-7.7 opened " << (opened.empty() ? "" : opened.front());
  EXPECT_TRUE(IsWindowVisible(about_)) << "about-7.8 the About window stays open";
  EXPECT_FALSE(IsWindowEnabled(Main())) << "about-7.9 the main window stays disabled";
}

struct Link {
  int id;
  const char* target;   // what the program hands to the shell
  const char* arrival;  // what winebrowser hands to the browser or mailer
};

// winebrowser parses the target as a URI and passes on its display form: an http address with
// no path gets the root path "/", and the authority slashes of "mailto://" are dropped, as a
// mail address has no authority. The report and forum targets arrive as they are.
constexpr std::array<Link, 4> kLinks{{
    {1012, "http://quillon.example", "http://quillon.example/"},
    {1013, "mailto://help@quillon.example", "mailto:help@quillon.example"},
    {1014, "http://quillon.example/bugs", "http://quillon.example/bugs"},
    {1015, "http://quillon.example/koda", "http://quillon.example/koda"},
}};

TEST_F(About, EachLinkOpensItsTargetOnceOnADoubleClick) {
  if (!RunsUnderWine()) {
    GTEST_SKIP() << "the shell's handlers are caught through Wine's winebrowser only";
  }
  RecorderDirectory directory;
  LinkRecorder recorder(directory.Path());
  ASSERT_TRUE(Open()) << "about-8.0";

  std::vector<std::string> expected;
  for (const Link& link : kLinks) {
    SCOPED_TRACE("about-8." + std::to_string(expected.size() + 1) + " " + link.target);
    const HWND control = GetDlgItem(about_, link.id);
    ASSERT_NE(nullptr, control);
    ASSERT_TRUE(SendDoubleClick(control, kLinkTimeoutMs));
    expected.push_back(link.arrival);
    EXPECT_TRUE(
        WaitUntil([&] { return recorder.Lines().size() >= expected.size(); }, kLinkTimeoutMs))
        << "the target arrives";
  }
  // Every handler started has ended: nothing more can arrive.
  EXPECT_TRUE(WaitUntil([] { return CountProcesses(kBrowserProcess) == 0; }, kLinkTimeoutMs))
      << "about-8.5 the handlers end";
  EXPECT_EQ(expected, recorder.Lines()) << "about-8.6 each target exactly once, in order";
  EXPECT_TRUE(IsWindowVisible(about_)) << "about-8.7 the About window stays open";
}

}  // namespace
}  // namespace e2e
