// Placeholder until the query edit's behaviour lands.
#include "query/query_edit_win.h"

#include "app/app_state_win.h"

namespace quillon {

LRESULT CALLBACK QueryEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcA(App().queryEditBaseProc, edit, message, wParam, lParam);
}
void OnQueryEditChanged() {}

}  // namespace quillon
