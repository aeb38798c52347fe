#include "driver/query_steps_win.h"

#include <vector>

#include "driver/windows_win.h"

namespace e2e {

namespace {

// Indexes among the main window's children in creation order.
constexpr std::array<int, 6> kResultFieldIndexes{10, 12, 14, 16, 18, 20};
constexpr std::array<int, 4> kTypeLabelIndexes{5, 6, 7, 8};
constexpr int kDefineGroupIndex = 17;
constexpr char kMarker[] = "<search pending>";

HWND ChildAt(HWND main, int index) {
  const std::vector<HWND> children = ChildWindows(main);
  return index < static_cast<int>(children.size()) ? children[static_cast<size_t>(index)] : nullptr;
}

struct BoxSearch {
  HWND found = nullptr;
};

BOOL CALLBACK MatchMessageBox(HWND window, LPARAM context) {
  std::array<char, 64> name{};
  GetClassNameA(window, name.data(), static_cast<int>(name.size()));
  if (std::string(name.data()) == "#32770" && IsWindowVisible(window)) {
    reinterpret_cast<BoxSearch*>(context)->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND QueryEdit(HWND main) {
  return GetDlgItem(main, kQueryEditId);
}

HWND ResultFieldOf(HWND main, Field field) {
  return ChildAt(main, kResultFieldIndexes[field]);
}

HWND TypeLabelOf(HWND main, Kind kind) {
  return ChildAt(main, kTypeLabelIndexes[kind]);
}

ResultView ReadResultView(HWND main) {
  const std::vector<HWND> children = ChildWindows(main);
  ResultView view;
  if (children.size() <= static_cast<size_t>(kResultFieldIndexes.back())) {
    return view;
  }
  for (size_t i = 0; i < view.fields.size(); ++i) {
    view.fields[i] = TextOf(children[static_cast<size_t>(kResultFieldIndexes[i])]);
  }
  for (size_t i = 0; i < view.enabled.size(); ++i) {
    const HWND label = children[static_cast<size_t>(kTypeLabelIndexes[i])];
    view.enabled[i] = IsWindowEnabled(label) != 0;
    view.stored[i] = static_cast<std::uint32_t>(GetWindowLongA(label, GWL_USERDATA));
  }
  view.queryMode = GetWindowLongA(QueryEdit(main), GWL_USERDATA);
  view.caption = TextOf(children[kDefineGroupIndex]);
  return view;
}

bool MarkResultPanel(HWND main) {
  return SetTextOf(ResultFieldOf(main, kCode), kMarker);
}

bool ResultPanelMarked(HWND main) {
  return TextOf(ResultFieldOf(main, kCode)) == kMarker;
}

bool WaitForSearchEnd(HWND main) {
  return WaitUntil([&] { return !ResultPanelMarked(main); });
}

bool PressEnter(HWND main) {
  return MarkResultPanel(main) && PostKey(QueryEdit(main), VK_RETURN) && WaitForSearchEnd(main);
}

bool SearchFor(HWND main, const std::string& text) {
  return SetTextOf(QueryEdit(main), text) && PressEnter(main);
}

bool TypeInto(HWND main, const std::string& text) {
  const HWND edit = QueryEdit(main);
  return SetTextOf(edit, "") && PostChars(edit, text) && WaitForQueue(edit);
}

bool WaitForQueue(HWND edit) {
  auto rightMargin = [&] {
    return HIWORD(static_cast<DWORD>(Send(edit, EM_GETMARGINS, 0, 0).value_or(0)));
  };
  const WORD before = rightMargin();
  const WORD mark = static_cast<WORD>(before + 1);
  const bool arrived = PostMessageA(edit, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, mark)) &&
                       WaitUntil([&] { return rightMargin() == mark; });
  Send(edit, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, before));
  return arrived;
}

HWND MessageBoxOf(DWORD threadId) {
  BoxSearch search;
  EnumThreadWindows(threadId, MatchMessageBox, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string MessageBoxText(HWND box) {
  return TextOf(GetDlgItem(box, 0xFFFF));
}

std::pair<int, int> SelectionOf(HWND edit) {
  const auto packed = static_cast<DWORD>(Send(edit, EM_GETSEL, 0, 0).value_or(0));
  return {LOWORD(packed), HIWORD(packed)};
}

}  // namespace e2e
