#include "display/window_text.h"

namespace quillon {

std::string WithCrLf(std::string_view text) {
  std::string windowText;
  windowText.reserve(text.size() + 8);
  for (const char c : text) {
    if (c == '\n') {
      windowText += '\r';
    }
    windowText += c;
  }
  return windowText;
}

}  // namespace quillon
