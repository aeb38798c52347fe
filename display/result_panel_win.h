#pragma once

#include <windows.h>

#include <string_view>

#include "display/type_views.h"
#include "lookup/error_type.h"

namespace quillon {

enum class ClearLevel {
  Fields,           // the six result fields are emptied
  FieldsAndLabels,  // and the four type labels disabled; their stored codes stay
};

void ClearResultPanel(ClearLevel level);
// The main window's type command (1004 to 1007) for one kind.
void RunTypeCommand(ErrorType type);
HWND ResultFieldWindow(ResultField field);
// Writes a field whole with WM_SETTEXT; an empty text is sent as a null pointer.
void SetFieldText(ResultField field, std::string_view text);

}  // namespace quillon
