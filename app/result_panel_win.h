#pragma once

#include <windows.h>

#include <string_view>

#include "base/error_type.h"
#include "display/type_views.h"

namespace quillon {

enum class ClearLevel {
  Fields,           // the six result fields are emptied
  FieldsAndLabels,  // and the four type labels disabled; their stored codes stay
};

void ClearResultPanel(ClearLevel level);
// A click on a type label (1004 to 1007): the panel cleared, then that kind's view.
void RunTypeCommand(ErrorType type);
// The search flow's selection of a kind: its view written over whatever the panel shows.
void ShowTypeView(ErrorType type);
// Each of the six fields set to its text in fields, written at most once; the define/code box
// and the Description take them as they are (the other fields' texts have no line breaks).
void ShowResultPanel(const ViewFields& fields);
HWND ResultFieldWindow(ResultField field);
// Writes a control's text whole with WM_SETTEXT (an empty text as a null pointer), unless it
// already holds exactly that text.
void SetControlText(HWND window, std::string_view text);
// SetControlText for one of the six result fields.
void SetFieldText(ResultField field, std::string_view text);

}  // namespace quillon
