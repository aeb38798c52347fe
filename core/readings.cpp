#include "core/readings.h"

#include <algorithm>
#include <optional>

#include "query/classify_query.h"
#include "query/text_routines.h"

namespace quillon {

namespace {

bool IsIdentifierStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool IsIdentifier(std::string_view text) {
  return !text.empty() && IsIdentifierStart(text.front()) &&
         std::all_of(text.begin(), text.end(),
                     [](char c) { return IsIdentifierStart(c) || (c >= '0' && c <= '9'); });
}

bool HasLetter(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return c > '9'; });
}

QueryReadings Rejected(std::string_view message) {
  return {{}, message};
}

QueryReadings Accepted(std::vector<Reading> readings) {
  return {std::move(readings), {}};
}

// Digits alone: decimal (up to 4294967295) and hexadecimal written without 0x, both answered
// when they differ. Zero-padded digits (00000050, as crash reports print bug checks) are read
// as hexadecimal first.
QueryReadings ReadDigits(std::string_view digits) {
  const std::optional<std::uint32_t> decimal = ParseDigits(digits, 10, kLargestUnsigned);
  const std::optional<std::uint32_t> hex = ParseDigits(digits, 16, kLargestUnsigned);
  std::vector<Reading> readings;
  if (decimal) {
    readings.push_back({ReadingKind::Decimal, *decimal, {}});
  }
  if (hex && hex != decimal) {
    const bool zeroPadded = digits.size() > 1 && digits.front() == '0';
    readings.insert(zeroPadded ? readings.begin() : readings.end(), {ReadingKind::Hex, *hex, {}});
  }
  if (readings.empty()) {
    return Rejected(kUnsignedTooBigMessage);
  }
  return Accepted(std::move(readings));
}

QueryReadings ReadHex(std::string_view digits) {
  const std::optional<std::uint32_t> value = ParseDigits(digits, 16, kLargestUnsigned);
  if (!value) {
    return Rejected(kHexTooBigMessage);
  }
  return Accepted({{ReadingKind::Hex, *value, {}}});
}

QueryReadings ReadNegative(std::string_view digits) {
  constexpr std::uint32_t kLargestMagnitude = 0x80000000u;
  const std::optional<std::uint32_t> magnitude = ParseDigits(digits, 10, kLargestMagnitude);
  if (!magnitude) {
    return Rejected(kUnsignedTooBigMessage);
  }
  return Accepted({{ReadingKind::Negative, 0u - *magnitude, {}}});
}

}  // namespace

std::string_view TrimSpace(std::string_view text) {
  constexpr std::string_view kSpace = " \t\r\n\v\f";
  const std::size_t first = text.find_first_not_of(kSpace);
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

std::string_view WithoutByteOrderMark(std::string_view text) {
  constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
  if (text.starts_with(kUtf8ByteOrderMark)) {
    text.remove_prefix(kUtf8ByteOrderMark.size());
  }
  return text;
}

QueryReadings ReadQuery(std::string_view query) {
  const std::string_view text = TrimSpace(query);
  // The numbers people meet beyond the window's rules: unsigned decimals, leading zeros of any
  // count, bare hexadecimal. Everything else is the window's to judge.
  if (!text.empty() && IsDecimalDigits(text)) {
    return ReadDigits(text);
  }
  if (text.size() > 1 && text.front() == '-' && IsDecimalDigits(text.substr(1))) {
    return ReadNegative(text.substr(1));
  }
  const bool hexPrefix = text.size() > 2 && text[0] == '0' && (text[1] | 0x20) == 'x';
  if (hexPrefix && IsHexDigits(text.substr(2))) {
    return ReadHex(text.substr(2));
  }
  if (!text.empty() && IsHexDigits(text) && HasLetter(text)) {
    return ReadHex(text);
  }
  const QueryVerdict verdict = ClassifyQuery(text);
  switch (verdict.kind) {
    case QueryVerdict::Kind::Number:
      // Not reached: every text the window's rules take as a number is read above.
      return Accepted({{ReadingKind::Decimal, verdict.number, {}}});
    case QueryVerdict::Kind::DefineName:
      return Accepted({{ReadingKind::Name, 0, verdict.defineName}});
    case QueryVerdict::Kind::Rejection:
      break;
  }
  if (!verdict.defineMode && IsIdentifier(text)) {
    std::string name(text);
    ToUpperAscii(name);
    return Accepted({{ReadingKind::Name, 0, std::move(name)}});
  }
  return Rejected(verdict.message);
}

std::string_view ReadingName(ReadingKind kind) {
  switch (kind) {
    case ReadingKind::Decimal:
      return "decimal";
    case ReadingKind::Hex:
      return "hex";
    case ReadingKind::Negative:
      return "negative";
    case ReadingKind::Name:
      break;
  }
  return "name";
}

}  // namespace quillon
