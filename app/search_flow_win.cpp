#include "app/search_flow_win.h"

#include <windows.h>

#include <cstdint>
#include <string>

#include "app/app_state_win.h"
#include "app/flash_win.h"
#include "app/result_panel_win.h"
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
  SetControlText(app.defineGroupBox, DefineBoxCaption(mode));
}

// Each matched kind's label holds its code and can be chosen; the others keep theirs and are
// disabled. Each label goes straight to its final state, so one that stays as it was is not
// redrawn.
void StoreMatches(const SearchResult& result) {
  const AppState& app = App();
  for (const ErrorType type : kErrorTypes) {
    const std::optional<std::uint32_t> code = result.matches[static_cast<std::size_t>(type)];
    const HWND label = app.typeSelectors[static_cast<std::size_t>(type)];
    if (code) {
      SetWindowLongA(label, GWL_USERDATA, static_cast<LONG>(*code));
    }
    EnableWindow(label, code ? TRUE : FALSE);
  }
}

// A rejection empties the panel and disables the labels, then shows its message; the flash
// draws the eye to the query.
void ShowRejection(const SearchResult& result) {
  ClearResultPanel(ClearLevel::FieldsAndLabels);
  if (result.mode) {
    EnterQueryMode(*result.mode);
  }
  SetFieldText(ResultField::Description, WithCrLf(result.description));
  StartAttentionFlash();
}

}  // namespace

// Nothing between the start of a search and its end is seen (the thread does not return to the
// message loop in between), so a search that finds or misses writes each result field once,
// with its final text, instead of emptying the panel first.
void RunSearch() {
  try {
    const AppState& app = App();
    const SearchResult result = Search(QueryText(), *app.messages, *app.database);
    if (result.verdict == SearchVerdict::Rejected) {
      ShowRejection(result);
      return;
    }
    if (result.mode) {
      EnterQueryMode(*result.mode);
    }
    StoreMatches(result);
    // The selected kind's view fills the panel through the type command.
    if (!SelectFirstMatch()) {
      ViewFields notFound;
      notFound.description = WithCrLf(result.description);
      ShowResultPanel(notFound);
    }
    // A search that ends while the window is compact opens it, so its result can be seen.
    if (result.expandsWindow && app.windowState == 0) {
      SendCommand(IDC_WINDOWSTATE);
    }
  } catch (...) {
    // Out of memory: the search stops; an empty panel rather than a stale or half result.
    ClearResultPanel(ClearLevel::FieldsAndLabels);
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
