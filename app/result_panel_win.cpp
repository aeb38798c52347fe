#include "app/result_panel_win.h"

#include <cstdint>
#include <string>

#include "app/app_state_win.h"
#include "display/window_text.h"

namespace quillon {

namespace {

std::uint32_t StoredCode(ErrorType type) {
  const HWND label = App().typeSelectors[static_cast<std::size_t>(type)];
  return static_cast<std::uint32_t>(GetWindowLongA(label, GWL_USERDATA));
}

// The query edit's user data: 0 after a number search, anything else after a define search.
QueryMode StoredQueryMode() {
  return GetWindowLongA(App().queryEdit, GWL_USERDATA) == 0 ? QueryMode::Number : QueryMode::Define;
}

ViewFields ViewOf(ErrorType type) {
  const AppState& app = App();
  return TypeView(type, StoredCode(type), StoredQueryMode(), *app.messages, *app.database);
}

}  // namespace

HWND ResultFieldWindow(ResultField field) {
  return App().resultPanel[static_cast<std::size_t>(field)];
}

// Every WM_SETTEXT to the Description field costs a redraw of its scroll bar, several times
// the rest of a search under Wine, so a control that already shows the text is left alone.
void SetControlText(HWND window, std::string_view text) {
  const int length = GetWindowTextLengthA(window);
  if (length >= 0 && static_cast<std::size_t>(length) == text.size()) {
    std::string current(text.size() + 1, '\0');
    const int copied = GetWindowTextA(window, current.data(), static_cast<int>(current.size()));
    if (static_cast<std::size_t>(copied) == text.size() &&
        current.compare(0, text.size(), text) == 0) {
      return;
    }
  }
  const std::string windowText(text);
  const LPARAM pointer = windowText.empty() ? 0 : reinterpret_cast<LPARAM>(windowText.c_str());
  SendMessageA(window, WM_SETTEXT, 0, pointer);
}

void SetFieldText(ResultField field, std::string_view text) {
  SetControlText(ResultFieldWindow(field), text);
}

void ClearResultPanel(ClearLevel level) {
  const AppState& app = App();
  for (HWND field : app.resultPanel) {
    SendMessageA(field, WM_SETTEXT, 0, 0);
  }
  if (level == ClearLevel::FieldsAndLabels) {
    for (HWND label : app.typeSelectors) {
      EnableWindow(label, FALSE);
    }
  }
}

void ShowResultPanel(const ViewFields& fields) {
  for (const ResultField field : kResultFields) {
    SetFieldText(field, FieldText(fields, field));
  }
}

void RunTypeCommand(ErrorType type) {
  try {
    ClearResultPanel(ClearLevel::Fields);
    ShowResultPanel(WindowTexts(ViewOf(type)));
  } catch (...) {
    // Out of memory while building texts: the panel keeps what was written so far.
  }
}

void ShowTypeView(ErrorType type) {
  try {
    ShowResultPanel(WindowTexts(ViewOf(type)));
  } catch (...) {
    // Out of memory before anything was written: an empty panel rather than the last result.
    ClearResultPanel(ClearLevel::Fields);
  }
}

}  // namespace quillon
