#include "lookup/lookup_win.h"

#include <windows.h>

#include "app/app_state_win.h"
#include "display/result_panel_win.h"
#include "display/type_views.h"
#include "lookup/message_source_win.h"

namespace quillon {

int RunLookup(ErrorType type, std::uint32_t code, int mode) {
  WindowsMessageSource source;
  const LookupOutcome outcome = Lookup(type, code, mode, source);
  const AppState& app = App();
  if (outcome.storeInLabel) {
    HWND label = app.typeSelectors[static_cast<int>(type)];
    SetWindowLongA(label, GWL_USERDATA, static_cast<LONG>(*outcome.storeInLabel));
    EnableWindow(label, TRUE);
  }
  if (outcome.description) {
    SetFieldText(app.resultPanel[static_cast<int>(ResultField::Description)], *outcome.description);
  }
  return outcome.result;
}

}  // namespace quillon
