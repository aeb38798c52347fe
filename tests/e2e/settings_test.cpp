// The two settings read from settings.ini at start, switched by their toggles, written back at
// exit; and where expanding puts the window.
#include <gtest/gtest.h>
#include <windows.h>

#include "driver/quillon_process_win.h"
#include "driver/screenshot_win.h"
#include "driver/settings_file_win.h"
#include "driver/windows_win.h"

namespace e2e {
namespace {

constexpr int kOnTopToggle = 1010;
constexpr int kWindowStateToggle = 1011;
constexpr int kLeft = 237;  // centred on the 1024x768 test screen
constexpr int kTop = 234;

std::string Settings(const std::string& onTop, const std::string& windowState) {
  return "[Settings]\r\nOnTop=" + onTop + "\r\nWindowState=" + windowState + "\r\n";
}

int Height(HWND window) {
  const RECT rect = OuterRect(window);
  return rect.bottom - rect.top;
}

RECT WorkArea() {
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

void MoveTo(HWND window, int left, int top) {
  SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  WaitUntil([&] {
    const RECT rect = OuterRect(window);
    return rect.left == left && rect.top == top;
  });
}

TEST(Settings, FirstRunSavesTheDefaultsAtExit) {
  QuillonProcess quillon;
  ASSERT_FALSE(ReadSettingInt(quillon.SettingsPath(), "OnTop")) << "settings-1.1 no file yet";
  EXPECT_EQ(300, Height(quillon.MainWindow())) << "settings-1.2 expanded";
  EXPECT_FALSE(IsTopmost(quillon.MainWindow())) << "settings-1.3 not topmost";

  EXPECT_EQ(0u, quillon.Close(kWaitTimeoutMs)) << "settings-1.4 exit code after close";
  EXPECT_EQ(0, ReadSettingInt(quillon.SettingsPath(), "OnTop")) << "settings-1.5";
  EXPECT_EQ(1, ReadSettingInt(quillon.SettingsPath(), "WindowState")) << "settings-1.6";
}

TEST(Settings, StoredOnTopAndCompactStartSoAndTogglesSwitchBoth) {
  QuillonProcess quillon({.settingsIni = Settings("1", "0")});
  const HWND main = quillon.MainWindow();
  const HWND onTop = quillon.Control(kOnTopToggle);
  const HWND windowState = quillon.Control(kWindowStateToggle);

  EXPECT_TRUE(IsTopmost(main)) << "settings-2.1 topmost";
  const RECT compact = OuterRect(main);
  EXPECT_EQ(kLeft, compact.left) << "settings-2.2 corner kept from the centred full size";
  EXPECT_EQ(kTop, compact.top) << "settings-2.3";
  EXPECT_EQ(550, compact.right - compact.left) << "settings-2.4 width";
  EXPECT_EQ(75, compact.bottom - compact.top) << "settings-2.5 compact height";

  const HICON pinIn = IconOf(onTop);
  const HICON triangleDown = IconOf(windowState);
  ASSERT_NE(nullptr, pinIn) << "settings-2.6";
  ASSERT_NE(nullptr, triangleDown) << "settings-2.7";
  const std::string exe = quillon.ExePath();
  EXPECT_EQ(0, IconDifferences(onTop, exe, 5, LR_LOADMAP3DCOLORS)) << "settings-2.7a pin stuck in";
  EXPECT_EQ(0, IconDifferences(windowState, exe, 3, LR_LOADMAP3DCOLORS))
      << "settings-2.7b down triangle";

  ASSERT_TRUE(PostClick(onTop)) << "settings-2.8";
  EXPECT_TRUE(WaitUntil([&] { return !IsTopmost(main); })) << "settings-2.9 no longer topmost";
  EXPECT_TRUE(WaitUntil([&] { return IconOf(onTop) != pinIn && IconOf(onTop) != nullptr; }))
      << "settings-2.10 the pin lies down";

  ASSERT_TRUE(PostClick(windowState)) << "settings-2.11";
  EXPECT_TRUE(WaitUntil([&] { return Height(main) == 300; })) << "settings-2.12 expanded";
  EXPECT_TRUE(WaitUntil([&] { return IconOf(windowState) != triangleDown; }))
      << "settings-2.13 the triangle points up";
  EXPECT_EQ(kTop, OuterRect(main).top) << "settings-2.14 inside the work area: not moved";
  EXPECT_EQ(0, IconDifferences(onTop, exe, 6, LR_LOADMAP3DCOLORS)) << "settings-2.14a lying pin";
  EXPECT_EQ(0, IconDifferences(windowState, exe, 4, LR_LOADMAP3DCOLORS))
      << "settings-2.14b up triangle";

  ASSERT_TRUE(SendClick(onTop)) << "settings-2.15";
  EXPECT_TRUE(IsTopmost(main)) << "settings-2.16 topmost again";
  ASSERT_TRUE(SendClick(onTop)) << "settings-2.17";
  EXPECT_FALSE(IsTopmost(main)) << "settings-2.18";

  EXPECT_EQ(0u, quillon.Close(kWaitTimeoutMs)) << "settings-2.19";
  EXPECT_EQ(0, ReadSettingInt(quillon.SettingsPath(), "OnTop")) << "settings-2.20";
  EXPECT_EQ(1, ReadSettingInt(quillon.SettingsPath(), "WindowState")) << "settings-2.21";
}

TEST(Settings, OtherValuesLeaveTheTogglesInertAndAreWrittenBack) {
  QuillonProcess quillon({.settingsIni = Settings("2", "5")});
  const HWND main = quillon.MainWindow();
  const HWND onTop = quillon.Control(kOnTopToggle);
  const HWND windowState = quillon.Control(kWindowStateToggle);
  EXPECT_FALSE(IsTopmost(main)) << "settings-3.1 not topmost";
  EXPECT_EQ(300, Height(main)) << "settings-3.2 expanded";
  const HICON pin = IconOf(onTop);
  const HICON triangle = IconOf(windowState);

  // Sent, not posted: each click is handled completely when the call returns.
  ASSERT_TRUE(SendClick(onTop)) << "settings-3.3";
  ASSERT_TRUE(SendClick(windowState)) << "settings-3.4";
  EXPECT_FALSE(IsTopmost(main)) << "settings-3.5 on-top toggle did nothing";
  EXPECT_EQ(300, Height(main)) << "settings-3.6 window-state toggle did nothing";
  EXPECT_EQ(pin, IconOf(onTop)) << "settings-3.7 icon kept";
  EXPECT_EQ(triangle, IconOf(windowState)) << "settings-3.8 icon kept";

  EXPECT_EQ(0u, quillon.Close(kWaitTimeoutMs)) << "settings-3.9";
  EXPECT_EQ("2", ReadProfileText(quillon.SettingsPath(), "Settings", "OnTop")) << "settings-3.10";
  EXPECT_EQ("5", ReadProfileText(quillon.SettingsPath(), "Settings", "WindowState"))
      << "settings-3.11";
}

TEST(Settings, ValuesOfAnyLengthAreWrittenBackWhole) {
  QuillonProcess quillon({.settingsIni = Settings("99999", "-2147483648")});
  EXPECT_FALSE(IsTopmost(quillon.MainWindow())) << "settings-4.1";
  EXPECT_EQ(300, Height(quillon.MainWindow())) << "settings-4.2";
  EXPECT_EQ(0u, quillon.Close(kWaitTimeoutMs)) << "settings-4.3";
  EXPECT_EQ("99999", ReadProfileText(quillon.SettingsPath(), "Settings", "OnTop"))
      << "settings-4.4";
  EXPECT_EQ("-2147483648", ReadProfileText(quillon.SettingsPath(), "Settings", "WindowState"))
      << "settings-4.5";
}

TEST(Settings, OtherSectionsAndKeysAreKept) {
  QuillonProcess quillon(
      {.settingsIni = "[Window]\r\nColour=blue\r\n" + Settings("0", "1") + "Extra=7\r\n"});
  ASSERT_TRUE(SendClick(quillon.Control(kOnTopToggle))) << "settings-5.1";
  EXPECT_EQ(0u, quillon.Close(kWaitTimeoutMs)) << "settings-5.2";
  EXPECT_EQ(1, ReadSettingInt(quillon.SettingsPath(), "OnTop")) << "settings-5.3";
  EXPECT_EQ("blue", ReadProfileText(quillon.SettingsPath(), "Window", "Colour")) << "settings-5.4";
  EXPECT_EQ("7", ReadProfileText(quillon.SettingsPath(), "Settings", "Extra")) << "settings-5.5";
}

TEST(Settings, ExpandingNearTheBottomMovesTheWindowUp) {
  QuillonProcess quillon({.settingsIni = Settings("0", "0")});
  const HWND main = quillon.MainWindow();
  const RECT work = WorkArea();
  MoveTo(main, kLeft, work.bottom - 100);  // compact, the full size would overhang

  ASSERT_TRUE(SendClick(quillon.Control(kWindowStateToggle))) << "settings-6.1";
  const RECT expanded = OuterRect(main);
  EXPECT_EQ(300, expanded.bottom - expanded.top) << "settings-6.2 expanded";
  EXPECT_EQ(work.bottom - 310, expanded.top) << "settings-6.3 pulled up, 10 pixels inside";
  EXPECT_EQ(kLeft, expanded.left) << "settings-6.4 left edge unchanged";
}

TEST(Settings, ExpandingLeftOfTheWorkAreaMovesTheWindowRight) {
  QuillonProcess quillon({.settingsIni = Settings("0", "0")});
  const HWND main = quillon.MainWindow();
  const RECT work = WorkArea();
  MoveTo(main, work.left - 50, kTop);

  ASSERT_TRUE(SendClick(quillon.Control(kWindowStateToggle))) << "settings-7.1";
  const RECT expanded = OuterRect(main);
  EXPECT_EQ(300, expanded.bottom - expanded.top) << "settings-7.2 expanded";
  EXPECT_EQ(work.left, expanded.left) << "settings-7.3 at the work area's edge, no margin";
  EXPECT_EQ(kTop, expanded.top) << "settings-7.4 top edge unchanged";
}

TEST(Settings, CollapsingNeverMovesTheWindow) {
  QuillonProcess quillon;
  const HWND main = quillon.MainWindow();
  const RECT work = WorkArea();
  MoveTo(main, work.right - 100, work.bottom - 50);  // overhanging right and bottom

  ASSERT_TRUE(SendClick(quillon.Control(kWindowStateToggle))) << "settings-8.1";
  const RECT compact = OuterRect(main);
  EXPECT_EQ(75, compact.bottom - compact.top) << "settings-8.2 compact";
  EXPECT_EQ(work.right - 100, compact.left) << "settings-8.3 not moved";
  EXPECT_EQ(work.bottom - 50, compact.top) << "settings-8.4 not moved";
}

TEST(Settings, EndOfSessionSavesTheSettingsAtOnce) {
  QuillonProcess quillon;
  ASSERT_TRUE(SendClick(quillon.Control(kOnTopToggle))) << "settings-9.1";
  ASSERT_TRUE(SendClick(quillon.Control(kWindowStateToggle))) << "settings-9.2";
  ASSERT_TRUE(Send(quillon.MainWindow(), WM_QUERYENDSESSION, 0, 0)) << "settings-9.3";
  ASSERT_TRUE(Send(quillon.MainWindow(), WM_ENDSESSION, TRUE, 0)) << "settings-9.4";

  // The session's end may stop the process at any moment now: the file must be complete.
  EXPECT_TRUE(quillon.IsRunning()) << "settings-9.5 still running";
  EXPECT_EQ(1, ReadSettingInt(quillon.SettingsPath(), "OnTop")) << "settings-9.6";
  EXPECT_EQ(0, ReadSettingInt(quillon.SettingsPath(), "WindowState")) << "settings-9.7";
}

TEST(Settings, CancelledEndOfSessionWritesNothing) {
  QuillonProcess quillon;
  ASSERT_TRUE(SendClick(quillon.Control(kOnTopToggle))) << "settings-10.1";
  ASSERT_TRUE(Send(quillon.MainWindow(), WM_ENDSESSION, FALSE, 0)) << "settings-10.2";
  EXPECT_FALSE(ReadSettingInt(quillon.SettingsPath(), "OnTop")) << "settings-10.3 no file yet";
  EXPECT_EQ(0u, quillon.Close(kWaitTimeoutMs)) << "settings-10.4";
  EXPECT_EQ(1, ReadSettingInt(quillon.SettingsPath(), "OnTop")) << "settings-10.5 saved at exit";
}

}  // namespace
}  // namespace e2e
