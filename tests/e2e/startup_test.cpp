// What a user sees right after the first start: the main window, its 21 controls, the focus,
// the icons, the etched separator and the bold fields.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdio>

#include "driver/quillon_process_win.h"
#include "driver/screenshot_win.h"
#include "driver/windows_win.h"

namespace e2e {
namespace {

constexpr int kQueryEdit = 1008;
constexpr int kAboutButton = 1009;
constexpr int kOnTopToggle = 1010;
constexpr int kWindowStateToggle = 1011;

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

TEST(Startup, FirstRunShowsTheExpandedWindowCentred) {
  QuillonProcess quillon;
  const WindowFacts main = DescribeWindow(quillon.MainWindow());

  EXPECT_EQ("KODA_MAIN", main.className) << "startup-1.1 class";
  EXPECT_EQ("Quillon", main.text) << "startup-1.2 title";
  // (1024 - 550) / 2 and (768 - 300) / 2 on the 1024x768 test screen.
  EXPECT_EQ(Describe({237, 234, 787, 534}), Describe(main.rect)) << "startup-1.3 outer rectangle";
  // Asked for: WS_VISIBLE | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX; the system adds
  // WS_CAPTION and WS_CLIPSIBLINGS to every overlapped window.
  EXPECT_EQ(Hex(0x120A0000 | WS_CAPTION | WS_CLIPSIBLINGS), Hex(main.style)) << "startup-1.4 style";
  // Asked for: WS_EX_APPWINDOW | WS_EX_CONTROLPARENT; the caption brings WS_EX_WINDOWEDGE.
  EXPECT_EQ(Hex(0x50000 | WS_EX_WINDOWEDGE), Hex(main.exStyle)) << "startup-1.5 extended style";
  EXPECT_FALSE(IsTopmost(quillon.MainWindow())) << "startup-1.6 not topmost";
}

struct ExpectedControl {
  const char* className;
  const char* text;
  DWORD style;
  DWORD exStyle;
  int x, y, width, height;
  int id;
};

// In creation order.
constexpr std::array<ExpectedControl, 21> kControls{{
    {"Static", "Error Number or Define", 0x50000000, 0, 5, 7, 200, 15, 0},
    {"Edit", "", 0x50010080, 0x200, 5, 25, 535, 20, 1008},
    {"KODA_ERRTYPE", "", 0x50000103, 0, 460, 5, 16, 16, 1011},
    {"KODA_ERRTYPE", "", 0x50000103, 0, 490, 5, 16, 16, 1010},
    {"KODA_ERRTYPE", "", 0x50000103, 0, 520, 5, 16, 16, 1009},
    {"KODA_ERRTYPE", "Win32", 0x58000100, 0, 82, 50, 37, 20, 1004},
    {"KODA_ERRTYPE", "HRESULT", 0x58000100, 0, 176, 50, 55, 20, 1005},
    {"KODA_ERRTYPE", "NTSTATUS", 0x58000100, 0, 278, 50, 63, 20, 1006},
    {"KODA_ERRTYPE", "STOP", 0x58000100, 0, 384, 50, 33, 20, 1007},
    {"Static", "Type:", 0x50000000, 0, 5, 85, 35, 20, 0},
    {"Static", "", 0x50000100, 0, 45, 85, 75, 20, 0},
    {"Static", "Status:", 0x50000000, 0, 180, 85, 45, 20, 0},
    {"Static", "", 0x50000000, 0, 230, 85, 100, 20, 0},
    {"Static", "Code:", 0x50000000, 0, 355, 85, 35, 20, 0},
    {"Static", "", 0x50000000, 0, 395, 85, 80, 20, 0},
    {"Static", "Facility:", 0x50000000, 0, 5, 110, 50, 20, 0},
    {"Static", "", 0x50000000, 0, 55, 110, 310, 20, 0},
    {"Button", "#Define", 0x50000007, 0x20, 5, 130, 535, 50, 0},
    {"Edit", "", 0x50000804, 0, 10, 146, 525, 30, 0},
    {"Static", "Description", 0x50000000, 0, 15, 185, 75, 15, 0},
    {"Edit", "", 0x50200804, 0x200, 5, 200, 535, 65, 0},
}};

TEST(Startup, ControlsAreCreatedInOrderAtTheirPlaces) {
  QuillonProcess quillon;
  const std::vector<HWND> children = ChildWindows(quillon.MainWindow());
  ASSERT_EQ(kControls.size(), children.size()) << "startup-2.1 number of controls";

  for (size_t i = 0; i < kControls.size(); ++i) {
    const ExpectedControl& expected = kControls[i];
    const WindowFacts actual = DescribeWindow(children[i]);
    std::array<char, 96> step{};
    std::snprintf(step.data(), step.size(), "startup-2.%zu control #%zu \"%s\"", i + 2, i + 1,
                  expected.text);
    SCOPED_TRACE(step.data());
    EXPECT_TRUE(SameTextNoCase(expected.className, actual.className)) << actual.className;
    EXPECT_EQ(expected.text, actual.text);
    EXPECT_EQ(expected.id, actual.id);
    EXPECT_EQ(Hex(expected.style), Hex(actual.style));
    EXPECT_EQ(Hex(expected.exStyle), Hex(actual.exStyle));
    const RECT rect{expected.x, expected.y, expected.x + expected.width,
                    expected.y + expected.height};
    EXPECT_EQ(Describe(rect), Describe(actual.rect));
  }
}

TEST(Startup, QueryEditHasTheFocusAndTheIconButtonsTheirPictures) {
  QuillonProcess quillon;
  EXPECT_EQ(quillon.Control(kQueryEdit), FocusOf(quillon.ThreadId())) << "startup-3.1 focus";
  EXPECT_EQ(136, Send(quillon.Control(kQueryEdit), EM_GETLIMITTEXT, 0, 0).value_or(-1))
      << "startup-3.2 query limit";

  const HICON windowState = IconOf(quillon.Control(kWindowStateToggle));
  const HICON onTop = IconOf(quillon.Control(kOnTopToggle));
  const HICON about = IconOf(quillon.Control(kAboutButton));
  EXPECT_NE(nullptr, windowState) << "startup-3.3 window-state icon";
  EXPECT_NE(nullptr, onTop) << "startup-3.4 on-top icon";
  EXPECT_NE(nullptr, about) << "startup-3.5 About icon";
  EXPECT_NE(windowState, onTop) << "startup-3.6 each toggle has its own icon";

  // Expanded and not on top: the up triangle (4) and the lying pin (6), greys mapped to the
  // 3-D colours; the information sign (2) as it is.
  const std::string exe = quillon.ExePath();
  EXPECT_EQ(0, IconDifferences(quillon.Control(kWindowStateToggle), exe, 4, LR_LOADMAP3DCOLORS))
      << "startup-3.7 up triangle";
  EXPECT_EQ(0, IconDifferences(quillon.Control(kOnTopToggle), exe, 6, LR_LOADMAP3DCOLORS))
      << "startup-3.8 lying pin";
  EXPECT_EQ(0, IconDifferences(quillon.Control(kAboutButton), exe, 2, 0))
      << "startup-3.9 information sign";
  EXPECT_NE(0, IconDifferences(quillon.Control(kOnTopToggle), exe, 5, LR_LOADMAP3DCOLORS, false))
      << "startup-3.10 not the stuck pin";
  EXPECT_NE(0,
            IconDifferences(quillon.Control(kWindowStateToggle), exe, 3, LR_LOADMAP3DCOLORS, false))
      << "startup-3.11 not the down triangle";
}

TEST(Startup, SeparatorIsEtchedAcrossTheWindow) {
  QuillonProcess quillon;
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  ASSERT_NE(shadow, highlight) << "startup-4.0 the theme tells the two lines apart";

  const Pixels shot = Pixels::CaptureClient(quillon.MainWindow());
  ASSERT_GE(shot.Width(), 541) << "startup-4.1 client area";
  int wrong = 0;
  for (int x = 5; x <= 539; ++x) {
    wrong += shot.At(x, 70) != shadow;
    wrong += shot.At(x, 71) != highlight;
  }
  EXPECT_EQ(0, wrong) << "startup-4.2 pixels of y 70 (shadow) and y 71 (highlight), x 5..539";
  EXPECT_EQ(face, shot.At(4, 70)) << "startup-4.3 the line starts at x 5";
  EXPECT_EQ(face, shot.At(540, 70)) << "startup-4.4 the line ends at x 539";
  EXPECT_EQ(face, shot.At(270, 69)) << "startup-4.5 nothing above the line";
  EXPECT_EQ(face, shot.At(270, 72)) << "startup-4.6 nothing below the line";
  if (HasFailure()) {
    KeepForInspection(shot, "separator");
  }
}

// Fonts cannot be asked for across processes (WM_GETFONT answers 0 under Wine), so the same
// text is drawn in a control with the normal font and in one with the bold font, and the width
// of the ink compared.
TEST(Startup, TypeFieldDescriptionLabelAndGroupBoxCaptionAreBold) {
  QuillonProcess quillon;
  const std::vector<HWND> children = ChildWindows(quillon.MainWindow());
  ASSERT_EQ(21u, children.size()) << "startup-5.0";
  const HWND normalLabel = children[0];  // "Error Number or Define", 200 wide
  const HWND typeField = children[10];
  const HWND groupBox = children[17];
  const HWND descriptionLabel = children[19];

  // The ink of the top rows of a control: its text (and a group box's caption, whose grey frame
  // line is lighter than the threshold).
  auto inkWidth = [&](HWND control, int rows = 20) {
    const Pixels shot = Pixels::CaptureClient(quillon.MainWindow());
    RECT rect = DescribeWindow(control).rect;
    rect.bottom = std::min<LONG>(rect.bottom, rect.top + rows);
    const auto [first, last] = shot.InkColumns(rect);
    if (first < 0) {
      KeepForInspection(shot, "no-ink");
    }
    return first < 0 ? 0 : last - first + 1;
  };

  ASSERT_TRUE(SetTextOf(normalLabel, "Win32")) << "startup-5.1";
  ASSERT_TRUE(SetTextOf(typeField, "Win32")) << "startup-5.2";
  const int normalWin32 = inkWidth(normalLabel);
  const int boldWin32 = inkWidth(typeField);
  EXPECT_GT(normalWin32, 0) << "startup-5.3 normal text drawn";
  EXPECT_GT(boldWin32, normalWin32) << "startup-5.4 the Type field is bold";

  ASSERT_TRUE(SetTextOf(normalLabel, "Description")) << "startup-5.5";
  EXPECT_GT(inkWidth(descriptionLabel), inkWidth(normalLabel))
      << "startup-5.6 the Description label is bold";

  ASSERT_TRUE(SetTextOf(normalLabel, "#Define")) << "startup-5.7";
  const int groupCaption = inkWidth(groupBox, 14);
  EXPECT_LT(groupCaption, 100) << "startup-5.8 only the caption counts, not the frame";
  EXPECT_GT(groupCaption, inkWidth(normalLabel)) << "startup-5.9 the group box caption is bold";
}

}  // namespace
}  // namespace e2e
