#include "core/bug_check_arguments.h"

namespace quillon {

namespace {

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Where keyword (lower case) starts in line at or after from, without regard to ASCII case.
std::size_t FindFolded(std::string_view line, std::string_view keyword, std::size_t from) {
  for (std::size_t at = from; at + keyword.size() <= line.size(); ++at) {
    std::size_t i = 0;
    while (i < keyword.size() && Lower(line[at + i]) == keyword[i]) {
      ++i;
    }
    if (i == keyword.size()) {
      return at;
    }
  }
  return std::string_view::npos;
}

class Cursor {
 public:
  Cursor(std::string_view text, std::size_t at) : text_(text), at_(at) {}
  void SkipBlanks() {
    while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t')) {
      ++at_;
    }
  }
  bool Take(char c) {
    SkipBlanks();
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  // Hexadecimal of 1 to maxDigits digits, "0x" before them allowed; a backtick inside a
  // 64-bit argument is the debugger's ("fffff800`5f8fb320").
  std::optional<std::uint64_t> Hex(std::size_t maxDigits) {
    SkipBlanks();
    if (at_ + 1 < text_.size() && text_[at_] == '0' && Lower(text_[at_ + 1]) == 'x') {
      at_ += 2;
    }
    std::uint64_t value = 0;
    std::size_t digits = 0;
    bool any = false;
    while (at_ < text_.size()) {
      const char c = Lower(text_[at_]);
      int digit = -1;
      if (c >= '0' && c <= '9') {
        digit = c - '0';
      } else if (c >= 'a' && c <= 'f') {
        digit = c - 'a' + 10;
      } else if (c == '`' && digits > 0) {
        ++at_;
        continue;
      }
      if (digit < 0) {
        break;
      }
      // Leading zeros do not count against the width ("0x0000000000000000").
      if (value != 0 || digit != 0) {
        ++digits;
      }
      if (digits > maxDigits) {
        return std::nullopt;
      }
      value = value * 16 + static_cast<std::uint64_t>(digit);
      any = true;
      ++at_;
    }
    if (!any) {
      return std::nullopt;
    }
    return value;
  }
  std::size_t At() const { return at_; }

 private:
  std::string_view text_;
  std::size_t at_;
};

// The code and arguments after a keyword ends at `from`.
std::optional<BugCheckArguments> ReadAfter(std::string_view line, std::size_t begin,
                                           std::size_t from) {
  Cursor cursor(line, from);
  cursor.Take(':');
  const std::optional<std::uint64_t> code = cursor.Hex(8);
  if (!code) {
    return std::nullopt;
  }
  cursor.Take(',');
  char close = ')';
  if (cursor.Take('{')) {
    close = '}';
  } else if (!cursor.Take('(')) {
    return std::nullopt;
  }
  BugCheckArguments found{static_cast<std::uint32_t>(*code), {}, begin, 0};
  for (std::size_t i = 0; i < found.arguments.size(); ++i) {
    if (i > 0 && !cursor.Take(',')) {
      return std::nullopt;
    }
    const std::optional<std::uint64_t> argument = cursor.Hex(16);
    if (!argument) {
      return std::nullopt;
    }
    found.arguments[i] = *argument;
  }
  if (!cursor.Take(close)) {
    return std::nullopt;
  }
  found.end = cursor.At();
  return found;
}

}  // namespace

std::optional<BugCheckArguments> FindBugCheckArguments(std::string_view line) {
  constexpr std::string_view kEvent = "the bugcheck was";
  constexpr std::string_view kDebugger = "bugcheck";
  for (std::size_t at = FindFolded(line, kDebugger, 0); at != std::string_view::npos;
       at = FindFolded(line, kDebugger, at + 1)) {
    // "The bugcheck was:" starts four bytes before its "bugcheck".
    const bool event = at >= 4 && FindFolded(line.substr(at - 4), kEvent, 0) == 0;
    const std::size_t begin = event ? at - 4 : at;
    const std::size_t from = event ? begin + kEvent.size() : at + kDebugger.size();
    if (std::optional<BugCheckArguments> found = ReadAfter(line, begin, from)) {
      return found;
    }
  }
  return std::nullopt;
}

std::optional<BugCheckArguments> ReadBugCheckArguments(std::string_view query) {
  std::optional<BugCheckArguments> found = FindBugCheckArguments(query);
  if (!found) {
    return std::nullopt;
  }
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  for (std::size_t i = 0; i < found->begin; ++i) {
    if (!blank(query[i])) {
      return std::nullopt;
    }
  }
  for (std::size_t i = found->end; i < query.size(); ++i) {
    if (!blank(query[i])) {
      return std::nullopt;
    }
  }
  return found;
}

}  // namespace quillon
