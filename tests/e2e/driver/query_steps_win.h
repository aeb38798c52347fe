// Driving the query edit as a user does (text set or typed, Enter, pastes) and reading what a
// search leaves in the main window: the six result fields, the four type labels, the mode.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>

namespace e2e {

inline constexpr int kQueryEditId = 1008;
inline constexpr int kSearchCommand = 1001;
inline constexpr int kWindowStateToggleId = 1011;

// The four kinds in the order of their labels (Win32, HRESULT, NTSTATUS, STOP).
enum Kind { kWin32 = 0, kHresult, kNtStatus, kStop };
inline constexpr std::array<const char*, 4> kKindNames{"Win32", "HRESULT", "NTSTATUS", "STOP"};

// The six result fields, in the order Type, Status, Code, Facility, define/code box,
// Description.
enum Field { kType = 0, kStatus, kCode, kFacility, kDefineBox, kDescription };

struct ResultView {
  std::array<std::string, 6> fields;
  std::array<bool, 4> enabled{};
  std::array<std::uint32_t, 4> stored{};  // the code each label holds
  LONG queryMode = -1;                    // the query edit's user data
  std::string caption;                    // of the group box around the define/code box
};

HWND QueryEdit(HWND main);
HWND ResultFieldOf(HWND main, Field field);
HWND TypeLabelOf(HWND main, Kind kind);
ResultView ReadResultView(HWND main);

// Every search leaves each of the six fields with a text of its own, never the marker: a marker
// in the Code field, gone again, tells that a search ran to its end (it runs whole inside one
// message, and a question from another process is only answered between messages).
bool MarkResultPanel(HWND main);
bool ResultPanelMarked(HWND main);
bool WaitForSearchEnd(HWND main);

// Enter through the message loop (so the dialog keyboard handling takes part); waits for the
// search it starts.
bool PressEnter(HWND main);
// Sets the query text, presses Enter and waits.
bool SearchFor(HWND main, const std::string& text);
// Empties the edit, types the text character by character and waits until the typing was
// handled.
bool TypeInto(HWND main, const std::string& text);

// True once everything posted to the edit before the call has been handled: a right margin
// posted behind it has arrived (neither typing nor pasting touches margins). The margin is put
// back afterwards.
bool WaitForQueue(HWND edit);

// The visible message box (#32770) of the program's thread, or nullptr.
HWND MessageBoxOf(DWORD threadId);
// A message box's text: its STATIC child with identifier 0xFFFF.
std::string MessageBoxText(HWND box);

// EM_GETSEL: {start, end}.
std::pair<int, int> SelectionOf(HWND edit);

}  // namespace e2e
