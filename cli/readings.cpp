#include "cli/readings.h"

#include <algorithm>

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

Reading NumberReading(std::string_view text, std::uint32_t value) {
  const ReadingKind kind = text.front() == '-' ? ReadingKind::Negative
                           : text.size() > 1 && (text[1] == 'x' || text[1] == 'X')
                               ? ReadingKind::Hex
                               : ReadingKind::Decimal;
  return {kind, value, {}};
}

QueryReadings Rejected(std::string_view message) {
  return {{}, message};
}

QueryReadings Accepted(std::vector<Reading> readings) {
  return {std::move(readings), {}};
}

// Digits and letters a to f only: the window's rules read it as hexadecimal once "0x" stands
// before it, with their own messages for one too big.
QueryReadings ReadBareHex(std::string_view text) {
  const QueryVerdict hex = ClassifyQuery("0x" + std::string(text));
  if (hex.kind != QueryVerdict::Kind::Number) {
    return Rejected(hex.message);
  }
  return Accepted({{ReadingKind::Hex, hex.number, {}}});
}

}  // namespace

QueryReadings ReadQuery(std::string_view text) {
  if (!text.empty() && IsHexDigits(text) && HasLetter(text)) {
    return ReadBareHex(text);
  }
  const QueryVerdict verdict = ClassifyQuery(text);
  switch (verdict.kind) {
    case QueryVerdict::Kind::Number: {
      std::vector<Reading> readings = {NumberReading(text, verdict.number)};
      // Digits alone may be decimal or hexadecimal written without 0x; both are answered
      // when they differ.
      if (IsDecimalDigits(text)) {
        const QueryVerdict hex = ClassifyQuery("0x" + std::string(text));
        if (hex.kind == QueryVerdict::Kind::Number && hex.number != verdict.number) {
          readings.push_back({ReadingKind::Hex, hex.number, {}});
        }
      }
      return Accepted(std::move(readings));
    }
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
