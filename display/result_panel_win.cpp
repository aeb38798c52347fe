#include "display/result_panel_win.h"

#include <cstdint>
#include <string_view>

#include "app/app_state_win.h"
#include "display/facility_names.h"
#include "display/type_views.h"
#include "lookup/message_source_win.h"

namespace quillon {

namespace {

// The define/code box after a number search asks the one connection, if start-up made one.
class PanelDefineNames final : public DefineNames {
 public:
  explicit PanelDefineNames(const DefineDatabase* database) : database_(database) {}
  std::string ShowDefineName(std::string_view table, std::string_view numberText) override {
    if (database_ == nullptr) {
      return std::string(kUnknownText);
    }
    return database_->ShowDefineName(table, numberText);
  }

 private:
  const DefineDatabase* database_;
};

std::uint32_t StoredCode(HWND window) {
  return static_cast<std::uint32_t>(GetWindowLongA(window, GWL_USERDATA));
}

}  // namespace

void SetFieldText(HWND field, const std::string& text) {
  const LPARAM pointer = text.empty() ? 0 : reinterpret_cast<LPARAM>(text.c_str());
  SendMessageA(field, WM_SETTEXT, 0, pointer);
}

void ClearResultPanel(int level) {
  if (level != 1 && level != 2) {
    return;
  }
  const AppState& app = App();
  for (HWND field : app.resultPanel) {
    SendMessageA(field, WM_SETTEXT, 0, 0);
  }
  if (level == 2) {
    for (HWND label : app.typeSelectors) {
      EnableWindow(label, FALSE);
    }
  }
}

void RunTypeCommand(ErrorType type) {
  try {
    ClearResultPanel(1);
    const AppState& app = App();
    const std::uint32_t code = StoredCode(app.typeSelectors[static_cast<int>(type)]);
    const int queryMode = static_cast<int>(GetWindowLongA(app.queryEdit, GWL_USERDATA));
    WindowsMessageSource messages;
    PanelDefineNames defines(app.database.get());
    for (const FieldWrite& write : PlanTypeView(type, code, queryMode, messages, defines)) {
      SetFieldText(app.resultPanel[static_cast<int>(write.field)], write.text);
    }
  } catch (...) {
    // Out of memory while building texts: the panel keeps what was written so far.
  }
}

}  // namespace quillon
