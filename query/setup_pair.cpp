#include "query/setup_pair.h"

namespace quillon {
namespace {

constexpr std::size_t kResultDigits = 8;
constexpr std::size_t kExtendDigits = 5;

int HexDigit(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

bool IsWordByte(char c) {
  return HexDigit(c) >= 0 || (c >= 'g' && c <= 'z') || (c >= 'G' && c <= 'Z') || c == '_';
}

bool HasHexPrefix(std::string_view text, std::size_t at) {
  return at + 1 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X');
}

// Reads exactly `digits` hexadecimal digits at `at`, followed by a word end.
std::optional<std::uint32_t> ReadDigits(std::string_view text, std::size_t at, std::size_t digits) {
  if (at + digits > text.size())
    return std::nullopt;
  std::uint32_t value = 0;
  for (std::size_t i = at; i < at + digits; ++i) {
    const int digit = HexDigit(text[i]);
    if (digit < 0)
      return std::nullopt;
    value = value * 16 + static_cast<std::uint32_t>(digit);
  }
  if (at + digits < text.size() && IsWordByte(text[at + digits]))
    return std::nullopt;
  return value;
}

// The pair whose result code starts at `at` (a word start), if one does.
std::optional<SetupPair> PairAt(std::string_view line, std::size_t at) {
  std::size_t digitsAt = HasHexPrefix(line, at) ? at + 2 : at;
  const std::optional<std::uint32_t> result = ReadDigits(line, digitsAt, kResultDigits);
  if (!result)
    return std::nullopt;
  std::size_t next = digitsAt + kResultDigits;
  const std::size_t separatorAt = next;
  while (next < line.size() && (line[next] == ' ' || line[next] == '\t')) ++next;
  if (next < line.size() && line[next] == '-') {
    ++next;
    while (next < line.size() && (line[next] == ' ' || line[next] == '\t')) ++next;
  }
  if (next == separatorAt || !HasHexPrefix(line, next))
    return std::nullopt;
  const std::optional<std::uint32_t> extend = ReadDigits(line, next + 2, kExtendDigits);
  if (!extend)
    return std::nullopt;
  return SetupPair{*result, *extend, at, next + 2 + kExtendDigits};
}

}  // namespace

std::vector<SetupPair> FindSetupPairs(std::string_view line) {
  std::vector<SetupPair> pairs;
  std::size_t at = 0;
  while (at < line.size()) {
    const bool wordStart = at == 0 || !IsWordByte(line[at - 1]);
    if (wordStart && HexDigit(line[at]) >= 0) {
      if (const std::optional<SetupPair> pair = PairAt(line, at)) {
        pairs.push_back(*pair);
        at = pair->end;
        continue;
      }
    }
    ++at;
  }
  return pairs;
}

std::optional<SetupPair> ReadSetupPair(std::string_view query) {
  const std::size_t first = query.find_first_not_of(" \t");
  if (first == std::string_view::npos)
    return std::nullopt;
  const std::optional<SetupPair> pair = PairAt(query, first);
  if (!pair || query.find_first_not_of(" \t", pair->end) != std::string_view::npos)
    return std::nullopt;
  return pair;
}

}  // namespace quillon
