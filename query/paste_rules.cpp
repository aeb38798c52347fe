#include "query/paste_rules.h"

#include <algorithm>
#include <array>

#include "query/classify_query.h"
#include "query/text_routines.h"

namespace quillon {

namespace {

constexpr std::array<bool, 256> MakePasteValidTable() {
  std::array<bool, 256> table{};
  table['-'] = true;
  table['_'] = true;
  for (unsigned char c = '0'; c <= '9'; ++c) table[c] = true;
  for (unsigned char c = 'A'; c <= 'Z'; ++c) table[c] = true;
  for (unsigned char c = 'a'; c <= 'z'; ++c) table[c] = true;
  return table;
}

constexpr std::array<bool, 256> kPasteValidTable = MakePasteValidTable();

}  // namespace

std::string PasteTooLargeMessage() {
  return "The data you are tying to paste is too large.  Max length is " +
         std::to_string(kQueryMaxLength) + " characters.";
}

std::optional<unsigned> FilterQueryChar(unsigned charCode) {
  switch (charCode) {
    case 3:   // Ctrl+C
    case 8:   // Backspace
    case 22:  // Ctrl+V
    case 24:  // Ctrl+X
    case 26:  // Ctrl+Z
    case '-':
    case '_':
    case 'x':  // stays lower case so that "0x" reads naturally
      return charCode;
    default:
      break;
  }
  if ((charCode >= '0' && charCode <= '9') || (charCode >= 'A' && charCode <= 'Z')) {
    return charCode;
  }
  if (charCode >= 'a' && charCode <= 'z')
    return charCode - ('a' - 'A');
  return std::nullopt;
}

bool IsPasteValidByte(unsigned char byte) {
  return kPasteValidTable[byte];
}

PasteVerdict CheckPaste(std::string_view clipboardText) {
  PasteVerdict verdict;
  verdict.trimmed = std::string(clipboardText);
  TrimBlanks(verdict.trimmed);
  if (verdict.trimmed.empty()) {
    verdict.outcome = PasteVerdict::Outcome::Empty;
  } else if (verdict.trimmed.size() > kQueryMaxLength) {
    verdict.outcome = PasteVerdict::Outcome::TooLong;
  } else if (!std::all_of(verdict.trimmed.begin(), verdict.trimmed.end(),
                          [](char c) { return IsPasteValidByte(static_cast<unsigned char>(c)); })) {
    verdict.outcome = PasteVerdict::Outcome::InvalidCharacters;
  } else {
    verdict.outcome = PasteVerdict::Outcome::Accepted;
  }
  return verdict;
}

}  // namespace quillon
