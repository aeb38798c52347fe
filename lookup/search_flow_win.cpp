#include "lookup/search_flow_win.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "app/app_state_win.h"
#include "display/flash_win.h"
#include "display/result_panel_win.h"
#include "display/type_views.h"
#include "lookup/lookup_win.h"
#include "query/classify_query.h"

namespace quillon {

namespace {

constexpr int kNumberMode = 0;
constexpr int kDefineMode = 1;
constexpr char kNumberNotFound[] = "\r\n\r\nError number not found";
constexpr char kDefineNotFound[] = "\r\n\r\nDefine Not Found";

HWND DescriptionField() {
  return App().resultPanel[static_cast<int>(ResultField::Description)];
}

void SendCommand(int id) {
  SendMessageA(App().mainWindow, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

std::string QueryText() {
  char text[kQueryMaxLength + 1] = {};
  const int length = GetWindowTextA(App().queryEdit, text, static_cast<int>(sizeof text));
  return std::string(text, length > 0 ? static_cast<std::size_t>(length) : 0);
}

// QueryMode lives in the query edit's user data; the group box names what the box below shows.
void EnterQueryMode(int mode) {
  const AppState& app = App();
  SetWindowLongA(app.queryEdit, GWL_USERDATA, mode);
  SetWindowTextA(app.defineGroupBox, mode == kDefineMode ? "Error Code" : "#Define");
}

// A search that ends while the window is compact opens it, so its result can be seen.
void ExpandIfCompact() {
  if (App().windowState == 0) {
    SendCommand(IDC_WINDOWSTATE);
  }
}

void ShowRejection(std::string_view message) {
  SetFieldText(DescriptionField(), std::string(message));
  StartAttentionFlash();
}

void SearchDefinePath(const std::string& name) {
  EnterQueryMode(kDefineMode);
  const AppState& app = App();
  if (app.database != nullptr) {
    for (const DefineMatch& match : app.database->SearchDefine(name)) {
      HWND label = app.typeSelectors[static_cast<int>(match.type)];
      SetWindowLongA(label, GWL_USERDATA, match.code);
      EnableWindow(label, TRUE);
    }
  }
  if (SelectFirstMatch()) {
    ExpandIfCompact();
  } else {
    SetFieldText(DescriptionField(), kDefineNotFound);
  }
}

void SearchNumberPath(std::uint32_t value) {
  constexpr int kProbe = static_cast<int>(LookupMode::Probe);
  EnterQueryMode(kNumberMode);
  // A value that can be a Win32 code is never an HRESULT of its own.
  if (RunLookup(ErrorType::Win32, value, kProbe) == -1) {
    RunLookup(ErrorType::Hresult, value, kProbe);
  }
  RunLookup(ErrorType::NtStatus, value, kProbe);
  RunLookup(ErrorType::Stop, value, kProbe);
  if (!SelectFirstMatch()) {
    SetFieldText(DescriptionField(), kNumberNotFound);
  }
  ExpandIfCompact();
}

}  // namespace

void RunSearch() {
  try {
    ClearResultPanel(2);
    const QueryVerdict verdict = ClassifyQuery(QueryText());
    switch (verdict.kind) {
      case QueryVerdict::Kind::Rejection:
        // The text had the shape of a define, so the mode says so even though it failed.
        if (verdict.defineMode) {
          EnterQueryMode(kDefineMode);
        }
        ShowRejection(verdict.message);
        break;
      case QueryVerdict::Kind::DefineName:
        SearchDefinePath(verdict.defineName);
        break;
      case QueryVerdict::Kind::Number:
        SearchNumberPath(verdict.number);
        break;
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
