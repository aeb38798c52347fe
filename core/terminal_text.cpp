#include "core/terminal_text.h"

#include <cstdint>
#include <cstring>

namespace quillon {

namespace {

constexpr std::string_view kReset = "\x1b[0m";
constexpr char kHexDigits[] = "0123456789abcdef";

std::string_view ColorOf(Paint paint) {
  switch (paint) {
    case Paint::Kind:
      return "\x1b[1;36m";  // bold cyan
    case Paint::Name:
      return "\x1b[32m";  // green
    case Paint::Found:
      return "\x1b[1;31m";  // bold red, as grep marks a match
    case Paint::Plain:
      break;
  }
  return {};
}

void AppendHexEscape(std::string& out, std::string_view prefix, unsigned value) {
  out += prefix;
  out += kHexDigits[(value >> 4) & 0xF];
  out += kHexDigits[value & 0xF];
}

bool IsC0OrDelete(unsigned char c) {
  return (c < 0x20 && c != '\t') || c == 0x7F;
}

bool InRange(std::string_view text, std::size_t i, unsigned low, unsigned high) {
  if (i >= text.size()) {
    return false;
  }
  const auto c = static_cast<unsigned char>(text[i]);
  return c >= low && c <= high;
}

// The size of the well-formed UTF-8 character at text[i] (a byte of 0x80 or more); 0 when the
// bytes there are none. The second byte's range depends on the first (no overlong form, no
// surrogate, nothing above U+10FFFF).
std::size_t Utf8CharacterSize(std::string_view text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  std::size_t size = 0;
  unsigned low = 0x80;
  unsigned high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    size = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    size = 3;
    low = lead == 0xE0 ? 0xA0 : 0x80;
    high = lead == 0xED ? 0x9F : 0xBF;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    size = 4;
    low = lead == 0xF0 ? 0x90 : 0x80;
    high = lead == 0xF4 ? 0x8F : 0xBF;
  } else {
    return 0;
  }
  if (!InRange(text, i + 1, low, high)) {
    return 0;
  }
  for (std::size_t k = 2; k < size; ++k) {
    if (!InRange(text, i + k, 0x80, 0xBF)) {
      return 0;
    }
  }
  return size;
}

// Whether the eight bytes at bytes are all printable ASCII (0x20 to 0x7E), which go out as
// they are: each test finds whether any byte is below a bound (or, for 0x7F, equal to it).
bool EightPlain(const char* bytes) {
  constexpr std::uint64_t kOnes = 0x0101010101010101;
  constexpr std::uint64_t kHigh = kOnes * 0x80;
  std::uint64_t x;
  std::memcpy(&x, bytes, 8);
  const std::uint64_t control = (x - kOnes * 0x20) & ~x & kHigh;
  const std::uint64_t notDelete = x ^ (kOnes * 0x7F);
  const std::uint64_t del = (notDelete - kOnes) & ~notDelete & kHigh;
  return ((x & kHigh) | control | del) == 0;
}

}  // namespace

bool IsPlainText(std::string_view text) {
  std::size_t i = 0;
  while (i + 8 <= text.size() && EightPlain(text.data() + i)) {
    i += 8;
  }
  for (; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80 || IsC0OrDelete(c)) {
      return false;
    }
  }
  return true;
}

bool NoColorRequested(const char* noColorValue) {
  return noColorValue != nullptr && *noColorValue != '\0';
}

bool UseColor(ColorChoice choice, bool outputIsTerminal, bool noColor) {
  switch (choice) {
    case ColorChoice::Always:
      return true;
    case ColorChoice::Never:
      return false;
    case ColorChoice::Auto:
      break;
  }
  return outputIsTerminal && !noColor;
}

void AppendTerminalText(std::string& out, std::string_view text, Paint paint, bool color) {
  const std::string_view colorCode = color ? ColorOf(paint) : std::string_view();
  out += colorCode;
  // Runs of ordinary bytes go in whole: a scan writes every line it shows through here.
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    while (i + 8 <= text.size() && EightPlain(text.data() + i)) {
      i += 8;
    }
    if (i == text.size()) {
      break;
    }
    const auto c = static_cast<unsigned char>(text[i]);
    bool c1 = false;
    if (c >= 0x80) {
      const std::size_t character = Utf8CharacterSize(text, i);
      c1 = character == 2 && c == 0xC2 && InRange(text, i + 1, 0x80, 0x9F);
      if (character > 0 && !c1) {
        i += character - 1;
        continue;
      }
      // A byte 0x80 to 0x9F outside a character is a C1 control to a terminal that reads
      // bytes as Latin-1; other stray bytes are only unreadable.
      if (character == 0 && c > 0x9F) {
        continue;
      }
    } else if (!IsC0OrDelete(c)) {
      continue;
    }
    out.append(text.substr(run, i - run));
    if (c1) {
      AppendHexEscape(out, "\\u00", static_cast<unsigned char>(text[++i]));
    } else {
      AppendHexEscape(out, "\\x", c);
    }
    run = i + 1;
  }
  out.append(text.substr(run));
  if (!colorCode.empty()) {
    out += kReset;
  }
}

void AppendMarkedLine(std::string& out, std::string_view line, const std::vector<TextSpan>& spans,
                      bool color) {
  std::size_t done = 0;
  for (const TextSpan& span : spans) {
    if (!color || span.start < done || span.start > line.size() ||
        span.size > line.size() - span.start) {
      continue;
    }
    AppendTerminalText(out, line.substr(done, span.start - done));
    AppendTerminalText(out, line.substr(span.start, span.size), Paint::Found, color);
    done = span.start + span.size;
  }
  AppendTerminalText(out, line.substr(done));
}

std::string TerminalText(std::string_view text) {
  std::string out;
  AppendTerminalText(out, text);
  return out;
}

std::string OnOneLine(std::string_view text) {
  std::string line;
  line.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      continue;  // the LF after it makes the blank
    }
    line += text[i] == '\r' || text[i] == '\n' ? ' ' : text[i];
  }
  return line;
}

}  // namespace quillon
