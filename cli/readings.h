// How the command line reads one query: the window's rules first, then two readings a
// terminal user expects: bare hexadecimal (C0000005, 80070005) and C identifiers that do not
// look like a define to the window (WSAEACCES, NOERROR).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

enum class ReadingKind { Decimal, Hex, Negative, Name };

struct Reading {
  ReadingKind kind = ReadingKind::Decimal;
  std::uint32_t value = 0;  // a number reading's value; negatives in two's complement
  std::string name;         // a name reading's name, in upper case

  bool operator==(const Reading&) const = default;
};

struct QueryReadings {
  std::vector<Reading> readings;  // empty when rejected
  std::string_view rejection;     // the window's message for a text that is no query
};

QueryReadings ReadQuery(std::string_view text);

// "decimal", "hex", "negative" or "name".
std::string_view ReadingName(ReadingKind kind);

}  // namespace quillon
