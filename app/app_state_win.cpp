#include "app/app_state_win.h"

namespace quillon {

AppState& App() {
  static AppState state;
  return state;
}

}  // namespace quillon
