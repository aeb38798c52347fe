#include "display/result_panel_win.h"

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

}  // namespace

HWND ResultFieldWindow(ResultField field) {
  return App().resultPanel[static_cast<std::size_t>(field)];
}

void SetFieldText(ResultField field, std::string_view text) {
  const std::string windowText(text);
  const LPARAM pointer = windowText.empty() ? 0 : reinterpret_cast<LPARAM>(windowText.c_str());
  SendMessageA(ResultFieldWindow(field), WM_SETTEXT, 0, pointer);
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

void RunTypeCommand(ErrorType type) {
  try {
    ClearResultPanel(ClearLevel::Fields);
    const AppState& app = App();
    const ViewFields view =
        TypeView(type, StoredCode(type), StoredQueryMode(), *app.messages, *app.database);
    for (const ResultField field : kResultFields) {
      const std::string& text = FieldText(view, field);
      // Cleared just above; the Description is the system's text as it came.
      if (!text.empty()) {
        SetFieldText(field, field == ResultField::Description ? text : WithCrLf(text));
      }
    }
  } catch (...) {
    // Out of memory while building texts: the panel keeps what was written so far.
  }
}

}  // namespace quillon
