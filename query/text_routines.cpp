#include "query/text_routines.h"

#include <algorithm>
#include <charconv>

namespace quillon {

namespace {

constexpr std::array<unsigned char, 256> MakeCaseFoldTable() {
  std::array<unsigned char, 256> table{};
  for (std::size_t i = 0; i < table.size(); ++i) {
    table[i] = static_cast<unsigned char>(i);
  }
  for (unsigned char c = 'A'; c <= 'Z'; ++c) {
    table[c] = static_cast<unsigned char>(c - 'A' + 'a');
  }
  // Two code-page pairs that the comparison also folds.
  table[157] = 156;
  table[174] = 173;
  return table;
}

std::string FormatInt32(std::int32_t value) {
  char buffer[12];  // "-2147483648" is the longest
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

// A text ends at its first zero byte, as the buffers these routines once worked on did.
std::string_view UpToTerminator(std::string_view text) {
  return text.substr(0, std::min(text.find('\0'), text.size()));
}

// Each byte's value as a digit, 36 for a byte that is a digit of no base: one load per digit,
// as the scan parses many.
constexpr std::array<unsigned char, 256> kDigitValues = [] {
  std::array<unsigned char, 256> values{};
  values.fill(36);
  for (int c = '0'; c <= '9'; ++c)
    values[static_cast<std::size_t>(c)] = static_cast<unsigned char>(c - '0');
  for (int c = 'a'; c <= 'z'; ++c) {
    values[static_cast<std::size_t>(c)] = static_cast<unsigned char>(c - 'a' + 10);
    values[static_cast<std::size_t>(c - 'a' + 'A')] = static_cast<unsigned char>(c - 'a' + 10);
  }
  return values;
}();

bool IsHexDigit(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

}  // namespace

const std::array<unsigned char, 256> kCaseFoldTable = MakeCaseFoldTable();

std::string FormatSigned(std::uint32_t value) {
  return FormatInt32(static_cast<std::int32_t>(value));
}

std::string FormatDecimal(std::int32_t value) {
  return FormatInt32(value);
}

std::string FormatHex8(std::uint32_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text(8, '0');
  for (std::size_t i = 8; i-- > 0; value >>= 4) {
    text[i] = kDigits[value & 0xFu];
  }
  return text;
}

std::string& JoinStrings(std::string& dest, std::initializer_list<std::string_view> pieces) {
  dest.resize(UpToTerminator(dest).size());
  for (const std::string_view piece : pieces) {
    dest += UpToTerminator(piece);
  }
  return dest;
}

void ToUpperAscii(std::string& text) {
  for (char& c : text) {
    c = UpperAscii(c);
  }
}

void ToLowerAscii(std::string& text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
}

std::size_t TrimBlanks(std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  // Everything below 33 after the last visible byte goes; bytes of 128 and above stay.
  const auto lastKept = std::find_if(text.rbegin(), text.rend(),
                                     [](char c) { return static_cast<unsigned char>(c) >= 33; });
  if (first == std::string::npos || lastKept == text.rend()) {
    text.clear();
    return 0;
  }
  text.erase(static_cast<std::size_t>(text.rend() - lastKept));
  text.erase(0, first);
  return text.size();
}

bool IsDecimalDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsHexDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return IsHexDigit(static_cast<unsigned char>(c)); });
}

bool CheckDefineName(std::string& text) {
  ToUpperAscii(text);
  return std::all_of(text.begin(), text.end(), [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || c == '_';
  });
}

int LastDashPosition(std::string_view text) {
  const std::size_t position = text.rfind('-');
  return position == std::string_view::npos ? 0 : static_cast<int>(position + 1);
}

std::string_view SkipZeros(std::string_view text) {
  const std::size_t first = text.find_first_not_of('0');
  return first == std::string_view::npos ? text.substr(text.size()) : text.substr(first);
}

int FindText(std::size_t start, std::string_view text, std::string_view pattern) {
  if (start > text.size() || pattern.size() > text.size() - start)
    return -1;
  // Trying each offset in turn finds the same first match as looking for the first
  // non-wildcard byte, and no match can begin before start.
  for (std::size_t offset = start; offset + pattern.size() <= text.size(); ++offset) {
    bool matches = true;
    for (std::size_t i = 0; i < pattern.size() && matches; ++i) {
      matches = pattern[i] == '*' || pattern[i] == text[offset + i];
    }
    if (matches)
      return static_cast<int>(offset);
  }
  return -1;
}

int CountText(std::string_view text, std::string_view pattern) {
  if (pattern.empty() || pattern.size() > text.size())
    return 0;
  int count = 0;
  for (std::size_t offset = 0; offset + pattern.size() <= text.size(); ++offset) {
    if (text.compare(offset, pattern.size(), pattern) == 0)
      ++count;
  }
  return count;
}

int CompareNoCase(std::string_view a, std::string_view b, std::size_t n) {
  const auto byteAt = [](std::string_view text, std::size_t i) {
    return i < text.size() ? static_cast<unsigned char>(text[i]) : static_cast<unsigned char>(0);
  };
  const std::size_t count = std::max<std::size_t>(n, 1);  // at least one byte is compared
  for (std::size_t i = 0; i < count; ++i) {
    if (kCaseFoldTable[byteAt(a, i)] != kCaseFoldTable[byteAt(b, i)]) {
      return static_cast<int>(i + 1);
    }
    // Past both ends every further byte reads as a terminator too, so they agree.
    if (i >= a.size() && i >= b.size())
      break;
  }
  return 0;
}

std::uint32_t ParseDecimal(std::string_view text) {
  const bool negative = !text.empty() && text.front() == '-';
  if (negative)
    text.remove_prefix(1);
  std::uint32_t value = 0;
  for (const char c : text) {
    value = value * 10u + (static_cast<unsigned char>(c) - std::uint32_t{'0'});
  }
  return negative ? 0u - value : value;
}

std::uint32_t ParseHex(std::string_view text) {
  std::uint32_t value = 0;
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    // Below 'A' a byte counts as a decimal digit; above, its low four bits after the offset
    // give 10..15 for 'a'..'f' and 'A'..'F' alike.
    const std::uint32_t digit = c < 'A' ? c - std::uint32_t{'0'} : (c - 0x57u) & 0xFu;
    // Past eight digits the shift wraps round, so the ninth digit from the right adds unshifted.
    const auto shift = static_cast<unsigned>((n - 1 - i) % 8 * 4);
    value += digit << shift;
  }
  return value;
}

std::optional<std::uint32_t> ParseDigits(std::string_view digits, unsigned base,
                                         std::uint32_t limit) {
  if (digits.empty())
    return std::nullopt;
  // Checked after each digit, the value stays below 2^32 * 36 and cannot overflow.
  std::uint64_t value = 0;
  for (const char c : digits) {
    const unsigned digit = kDigitValues[static_cast<unsigned char>(c)];
    if (digit >= base)
      return std::nullopt;
    value = value * base + digit;
    if (value > limit)
      return std::nullopt;
  }
  return static_cast<std::uint32_t>(value);
}

}  // namespace quillon
