#include "core/terminal_text.h"

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

}  // namespace

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
    const auto c = static_cast<unsigned char>(text[i]);
    const bool c1 = c == 0xC2 && i + 1 < text.size() &&
                    static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                    static_cast<unsigned char>(text[i + 1]) <= 0x9F;
    if (!c1 && !IsC0OrDelete(c)) {
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

}  // namespace quillon
