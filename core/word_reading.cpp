#include "core/word_reading.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "query/text_routines.h"

namespace quillon {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsUpper(char c) {
  return c >= 'A' && c <= 'Z';
}
bool IsLower(char c) {
  return c >= 'a' && c <= 'z';
}
bool IsWordByte(char c) {
  return IsDigit(c) || IsUpper(c) || IsLower(c) || c == '_';
}
char Lower(char c) {
  return IsUpper(c) ? static_cast<char>(c | 0x20) : c;
}

// Bytes that join two words into one larger token: GUIDs and dates ('-'), versions and
// addresses ('.', '`'), thousands (','), base64 ('+', '/'), paths ('\').
bool IsJoiner(char c) {
  return c == '-' || c == '.' || c == ',' || c == '+' || c == '/' || c == '`' || c == '\\';
}

bool JoinedAfter(std::string_view after) {
  if (after.size() < 2) {
    return false;
  }
  // "0x5: text" stands apart; "10:22" is a time.
  return (IsJoiner(after[0]) && IsWordByte(after[1])) || (after[0] == ':' && IsDigit(after[1]));
}

bool JoinedBefore(std::string_view before) {
  const std::size_t n = before.size();
  return n >= 2 && IsJoiner(before[n - 1]) && IsWordByte(before[n - 2]);
}

// '+' and '/' are base64's own letters, and no log writes one beside a code it means: a number
// they touch on either side is part of a larger token, even with nothing else around
// (+0x6/).
bool TouchesBase64(std::string_view before, std::string_view after) {
  const auto base64 = [](char c) { return c == '+' || c == '/'; };
  return (!before.empty() && base64(before.back())) || (!after.empty() && base64(after[0]));
}

// A '-' that follows no word and no other joiner is a sign.
bool SignBefore(std::string_view before) {
  const std::size_t n = before.size();
  if (n == 0 || before[n - 1] != '-') {
    return false;
  }
  return n == 1 || !(IsWordByte(before[n - 2]) || IsJoiner(before[n - 2]));
}

// One to eight hexadecimal digits, which always fit.
std::uint32_t HexValue(std::string_view digits) {
  return ParseDigits(digits, 16, kLargestUnsigned).value_or(0);
}

bool EqualsLower(std::string_view text, std::string_view lower) {
  return text.size() == lower.size() && std::equal(text.begin(), text.end(), lower.begin(),
                                                   [](char a, char b) { return Lower(a) == b; });
}

// Whether identifier ends in a keyword that starts a part of it: the whole identifier, after
// '_' or a digit, at a lower-to-upper step (dwError, ExitCode), or after another keyword
// written in one case (EXITCODE, errorcode). Barcode and Unicode end in no keyword.
bool IdentifierEndsWithKeyword(std::string_view identifier) {
  // Every keyword ends in one of a few pairs of letters: most identifiers end in none.
  const std::size_t n = identifier.size();
  if (n < 2 || !MayEndKeyword(identifier[n - 2], identifier[n - 1])) {
    return false;
  }
  for (const std::string_view keyword : kKeywords) {
    if (identifier.size() < keyword.size() ||
        !EqualsLower(identifier.substr(identifier.size() - keyword.size()), keyword)) {
      continue;
    }
    const std::string_view rest = identifier.substr(0, identifier.size() - keyword.size());
    if (rest.empty() || rest.back() == '_' || IsDigit(rest.back()) ||
        (IsLower(rest.back()) && IsUpper(identifier[rest.size()])) ||
        IdentifierEndsWithKeyword(rest)) {
      return true;
    }
  }
  return false;
}

std::size_t SkipBlanksBack(std::string_view text, std::size_t end) {
  while (end > 0 && (text[end - 1] == ' ' || text[end - 1] == '\t')) {
    --end;
  }
  return end;
}

// "0x" and one to eight hexadecimal digits; longer is an address.
std::optional<Reading> PrefixedHex(std::string_view word) {
  if (word.size() < 3 || word.size() > 10 || word[0] != '0' || Lower(word[1]) != 'x') {
    return std::nullopt;
  }
  // Eight digits always fit: the parse fails only on a byte that is no hexadecimal digit.
  const std::optional<std::uint32_t> value = ParseDigits(word.substr(2), 16, kLargestUnsigned);
  if (!value) {
    return std::nullopt;
  }
  return Reading{ReadingKind::Hex, *value, {}};
}

std::optional<Candidate> ReadNumberWord(std::string_view before, std::string_view word) {
  const bool sign = SignBefore(before);
  if (sign) {
    before.remove_suffix(1);
  }
  const bool keyword = EndsWithKeyword(before);
  if (sign) {
    // A negative decimal: an HRESULT or NTSTATUS as a signed number, or any after a keyword.
    if (!IsDecimalDigits(word) || !(keyword || word.size() == 9 || word.size() == 10)) {
      return std::nullopt;
    }
    const std::optional<std::uint32_t> magnitude = ParseDigits(word, 10, 0x80000000u);
    if (!magnitude) {
      return std::nullopt;
    }
    return Candidate{{ReadingKind::Negative, 0u - *magnitude, {}}, true};
  }
  if (word.size() == 8 && IsHexDigits(word)) {
    // Bare hexadecimal from 8 on: an HRESULT or NTSTATUS. After a keyword a letter or a
    // leading zero says hexadecimal too: a zero-padded bug check (Stop code 0000007B).
    const bool hex = !IsDigit(word[0]) || word[0] >= '8' ||
                     (keyword && (word[0] == '0' || !IsDecimalDigits(word)));
    if (hex) {
      return Candidate{{ReadingKind::Hex, HexValue(word), {}}};
    }
  }
  if (!keyword || !IsDecimalDigits(word)) {
    return std::nullopt;
  }
  const std::optional<std::uint32_t> value = ParseDigits(word, 10, kLargestUnsigned);
  if (!value) {
    return std::nullopt;
  }
  return Candidate{{ReadingKind::Decimal, *value, {}}};
}

}  // namespace

bool EndsWithKeyword(std::string_view text) {
  std::size_t end = SkipBlanksBack(text, text.size());
  if (end > 0 && std::string_view(":=#(").find(text[end - 1]) != std::string_view::npos) {
    end = SkipBlanksBack(text, end - 1);
  }
  if (end >= 2 && text.substr(end - 2, 2) == "()") {
    end -= 2;
  }
  std::size_t start = end;
  while (start > 0 && IsWordByte(text[start - 1])) {
    --start;
  }
  // A longer identifier may be only the end of one: Barcode's "code".
  return start < end && end - start <= kLongestWord &&
         IdentifierEndsWithKeyword(text.substr(start, end - start));
}

std::optional<Candidate> ReadWord(std::string_view before, std::string_view word,
                                  std::string_view after, const NameSet& names) {
  if (word.empty() || word.size() > kLongestWord || JoinedAfter(after)) {
    return std::nullopt;
  }
  if (IsDigit(word[0]) || (word.size() == 8 && IsHexDigits(word))) {
    // A sign is read with the number; any other joiner makes it part of a larger token.
    if (TouchesBase64(before, after) ||
        (!SignBefore(before) &&
         (JoinedBefore(before) || (!before.empty() && before.back() == '-')))) {
      return std::nullopt;
    }
    if (std::optional<Reading> hex = PrefixedHex(word)) {
      return SignBefore(before) ? std::nullopt : std::optional<Candidate>({*hex, false});
    }
    return ReadNumberWord(before, word);
  }
  if (!(IsUpper(word[0]) || word[0] == '_') || word.size() < 2 || IsLower(word[1]) ||
      JoinedBefore(before) ||
      (word.find('_') == std::string_view::npos && !MayStandWithoutUnderscore(word))) {
    return std::nullopt;
  }
  if (!names.Contains(word)) {
    return std::nullopt;
  }
  return Candidate{{ReadingKind::Name, 0, std::string(word)}};
}

}  // namespace quillon
