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

ViewFields WindowTexts(ViewFields fields) {
  for (std::string* text :
       {&fields.type, &fields.status, &fields.code, &fields.facility, &fields.defineBox}) {
    *text = WithCrLf(*text);
  }
  return fields;
}

}  // namespace quillon
