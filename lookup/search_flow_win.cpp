#include "lookup/search_flow_win.h"

#include <windows.h>

#include <cstdint>
#include <string>

#include "app/app_state_win.h"
#include "display/flash_win.h"
#include "display/result_panel_win.h"
#include "display/window_text.h"
#include "lookup/search.h"
#include "query/classify_query.h"

namespace quillon {

namespace {

void SendCommand(int id) {
  SendMessageA(App().mainWindow, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

std::string QueryText() {
  char text[kQueryMaxLength + 1] = {};
  const int length = GetWindowTextA(App().queryEdit, text, static_cast<int>(sizeof text));
  return std::string(text, length > 0 ? static_cast<std::size_t>(length) : 0);
}

// QueryMode lives in the query edit's user data; the group box names what the box below shows.
void EnterQueryMode(QueryMode mode) {
  const AppState& app = App();
  SetWindowLongA(app.queryEdit, GWL_USERDATA, static_cast<LONG>(mode));
  SetWindowTextA(app.defineGroupBox, std::string(DefineBoxCaption(mode)).c_str());
}

// Each matched kind's label holds its code and can be chosen; the others keep theirs.
void StoreMatches(const SearchResult& result) {
  const AppState& app = App();
  for (const ErrorType type : kErrorTypes) {
    if (const std::optional<std::uint32_t> code = result.matches[static_cast<std::size_t>(type)]) {
      HWND label = app.typeSelectors[static_cast<std::size_t>(type)];
      SetWindowLongA(label, GWL_USERDATA, static_cast<LONG>(*code));
      EnableWindow(label, TRUE);
    }
  }
}

void ShowDescription(const std::string& text) {
  SetFieldText(ResultField::Description, WithCrLf(text));
}

}  // namespace

void RunSearch() {
  try {
    ClearResultPanel(ClearLevel::FieldsAndLabels);
    const AppState& app = App();
    const SearchResult result = Search(QueryText(), *app.messages, *app.database);
    if (result.mode) {
      EnterQueryMode(*result.mode);
    }
    if (result.verdict == SearchVerdict::Rejected) {
      ShowDescription(result.description);
      StartAttentionFlash();
      return;
    }
    StoreMatches(result);
    if (!SelectFirstMatch()) {
      ShowDescription(result.description);
    }
    // A search that ends while the window is compact opens it, so its result can be seen.
    if (result.expandsWindow && app.windowState == 0) {
      SendCommand(IDC_WINDOWSTATE);
    }
  } catch (...) {
    // Out of memory: the search stops where it was; the panel was cleared first.
  }
}

bool SelectFirstMatch() {
  const AppState& app = App();
  for (std::size_t i = 0; i < app.typeSelectors.size(); ++i) {
    if (IsWindowEnabled(app.typeSelectors[i])) {
      SendCommand(IDC_WIN32 + static_cast<int>(i));
      return true;
    }
  }
  return false;
}

}  // namespace quillon
