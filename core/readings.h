// How the command line reads one query: numbers as people meet them (unsigned decimals up to
// 4294967295 as exit codes are printed, leading zeros of any count, bare hexadecimal such as
// C0000005 or a zero-padded 0000007B), then the window's rules for define names and messages,
// and C identifiers that do not look like a define to the window (WSAEACCES, NOERROR).
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

// The window's message for a decimal too big, with the command line's wider range.
inline constexpr std::string_view kUnsignedTooBigMessage =
    "The number you entered is way too big!\nValid range is: -2147483648 to 4294967295";

// text is trimmed of surrounding blanks first.
QueryReadings ReadQuery(std::string_view text);

// text without its surrounding blanks, tabs and line ends.
std::string_view TrimSpace(std::string_view text);

// text without the UTF-8 byte-order mark that Windows editors put before a file's first line.
std::string_view WithoutByteOrderMark(std::string_view text);

// "decimal", "hex", "negative" or "name".
std::string_view ReadingName(ReadingKind kind);

}  // namespace quillon
