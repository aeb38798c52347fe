// Placeholder until the type views land.
#include "display/result_panel_win.h"

namespace quillon {

void ClearResultPanel(int) {}
void RunTypeCommand(ErrorType) {}

}  // namespace quillon
