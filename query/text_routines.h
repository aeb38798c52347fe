// Text and number routines on 8-bit texts and 32-bit words. The query rules rest on their
// exact behaviour at the edges: parsing wraps modulo 2^32 and overflow is found by formatting
// the value back and comparing texts.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace quillon {

// Byte values used by CompareNoCase: identity, except 'A'..'Z' -> 'a'..'z', 157 -> 156 and
// 174 -> 173.
extern const std::array<unsigned char, 256> kCaseFoldTable;

// Signed decimal exactly as "%ld": "-2147483648" for 0x80000000, "0" for 0.
std::string FormatSigned(std::uint32_t value);
// The same text as FormatSigned; the settings values are written with it.
std::string FormatDecimal(std::int32_t value);
// Exactly eight upper-case hexadecimal digits, zero-padded, no prefix.
std::string FormatHex8(std::uint32_t value);

// Appends each piece to the end of dest's current text; returns dest.
std::string& JoinStrings(std::string& dest, std::initializer_list<std::string_view> pieces);

// 'a'..'z' to 'A'..'Z'; any other byte as it is.
constexpr char UpperAscii(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
void ToUpperAscii(std::string& text);
void ToLowerAscii(std::string& text);
// Drops leading spaces and tabs and every byte below 33 after the last byte of 33 or more.
// Returns the new length.
std::size_t TrimBlanks(std::string& text);

// True when every byte is '0'..'9'. Callers pass a non-empty text.
bool IsDecimalDigits(std::string_view text);
// True when every byte is a hexadecimal digit of either case; an empty text gives true.
bool IsHexDigits(std::string_view text);
// Upper-cases text in place; true when every byte then is '0'..'9', 'A'..'Z' or '_'.
bool CheckDefineName(std::string& text);
// 1-based position of the last '-', 0 when there is none.
int LastDashPosition(std::string_view text);
// The rest of the text from its first byte that is not '0' (empty for zeros only).
std::string_view SkipZeros(std::string_view text);

// First occurrence of pattern at or after start ('*' matches any one byte); -1 when none.
int FindText(std::size_t start, std::string_view text, std::string_view pattern);
// Number of offsets at which pattern occurs exactly (overlaps count). pattern is not empty.
int CountText(std::string_view text, std::string_view pattern);
// 0 when the first n bytes (at least one) agree under kCaseFoldTable, else the 1-based index
// of the first difference. Positions past the end of a text read as its zero terminator.
int CompareNoCase(std::string_view a, std::string_view b, std::size_t n);

// Optional leading '-', then decimal digits; wraps modulo 2^32. Callers validate first.
std::uint32_t ParseDecimal(std::string_view text);
// Hexadecimal digits of either case, no prefix; shifts taken modulo 32 past eight digits.
std::uint32_t ParseHex(std::string_view text);

// The largest value of 32 bits: the limit of most readings.
inline constexpr std::uint32_t kLargestUnsigned = 0xFFFFFFFFu;

// The one checked number parser that the query rules, the command line's readings and the
// scan share: digits of base (2 to 36; letters of either case above 9), any number of leading
// zeros, no sign. Nothing for an empty text, a byte that is no digit of base, or a value above
// limit.
std::optional<std::uint32_t> ParseDigits(std::string_view digits, unsigned base,
                                         std::uint32_t limit);

}  // namespace quillon
