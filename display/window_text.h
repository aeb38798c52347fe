// The window's edit controls break lines with CR LF; the portable texts break them with '\n'.
#pragma once

#include <string>
#include <string_view>

#include "display/type_views.h"

namespace quillon {

// text with every '\n' written as "\r\n".
std::string WithCrLf(std::string_view text);
// A view's texts as the fields take them: line breaks as "\r\n", except in the Description,
// which is the message source's text as it came.
ViewFields WindowTexts(ViewFields fields);

}  // namespace quillon
