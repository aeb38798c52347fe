#pragma once

#include "lookup/error_type.h"

namespace quillon {

// Level 1 empties the six result fields; level 2 also disables the four type labels.
void ClearResultPanel(int level);
// The main window's type command (1004 to 1007) for one kind.
void RunTypeCommand(ErrorType type);

}  // namespace quillon
