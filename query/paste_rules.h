// What the query edit does with typed characters and pasted clipboard text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillon {

// "The data you are tying to paste is too large.  Max length is 136 characters.", with the
// query edit's limit.
std::string PasteTooLargeMessage();
inline constexpr std::string_view kPasteInvalidMessage =
    "The data you are trying to paste contains invalid characters, valid characters are "
    "1234567890ABCDEFGHIJKLMNOPQRSTUVWXxYZ-_";

// The character to pass on to the edit for a typed character code, or nothing to swallow it.
std::optional<unsigned> FilterQueryChar(unsigned charCode);

// True for the 64 bytes a pasted text may hold: '-', '0'..'9', 'A'..'Z', '_', 'a'..'z'.
bool IsPasteValidByte(unsigned char byte);

struct PasteVerdict {
  enum class Outcome { Empty, TooLong, InvalidCharacters, Accepted };
  Outcome outcome = Outcome::Empty;
  std::string trimmed;  // the clipboard text after trimming
};

// Trims clipboard text and checks it: empty, then length, then characters.
PasteVerdict CheckPaste(std::string_view clipboardText);

}  // namespace quillon
