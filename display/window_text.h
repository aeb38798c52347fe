// The window's edit controls break lines with CR LF; the portable texts break them with '\n'.
#pragma once

#include <string>
#include <string_view>

namespace quillon {

// text with every '\n' written as "\r\n".
std::string WithCrLf(std::string_view text);

}  // namespace quillon
