#pragma once

#include <windows.h>

#include <string>

#include "lookup/error_type.h"

namespace quillon {

// Level 1 empties the six result fields; level 2 also disables the four type labels.
void ClearResultPanel(int level);
// The main window's type command (1004 to 1007) for one kind.
void RunTypeCommand(ErrorType type);
// Writes a field whole with WM_SETTEXT; an empty text is sent as a null pointer.
void SetFieldText(HWND field, const std::string& text);

}  // namespace quillon
