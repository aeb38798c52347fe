// Setup's failures as it writes them: a result code and an extend code together
// ("0xC1900101 - 0x4000D", "0xC1900101-0x30018", "0xC1900101 0x20017"). The extend code's
// first hexadecimal digit of five is the phase in which setup failed, its last two the
// operation it was doing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace quillon {

struct SetupPair {
  std::uint32_t result = 0;
  std::uint32_t extend = 0;
  std::size_t begin = 0;  // where the pair's text starts in the line, and one past its end
  std::size_t end = 0;
};

// Every pair in a line, in order. The result code is eight hexadecimal digits, with or without
// "0x"; the extend code "0x" and five digits (setup writes them so: 0x4000D). Between them a
// '-', blanks, or both; each code a whole word, so "0xC1900101 - 0x4000D1" is no pair.
std::vector<SetupPair> FindSetupPairs(std::string_view line);

// The pair that a whole query is, blanks around it allowed; nothing for anything else.
std::optional<SetupPair> ReadSetupPair(std::string_view query);

constexpr unsigned SetupPhase(std::uint32_t extend) {
  return (extend >> 16) & 0xFu;
}
constexpr unsigned SetupOperation(std::uint32_t extend) {
  return extend & 0xFFu;
}

}  // namespace quillon
