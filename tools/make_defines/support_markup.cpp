#include "tools/make_defines/support_markup.h"

#include <array>
#include <cctype>
#include <utility>

namespace quillon::make_defines {
namespace {

bool IsHex(char c) {
  return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}
bool IsWordByte(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos)
    return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// Markdown links and images: "[text](target)" becomes text, "![alt](target)" nothing.
std::string DropLinks(std::string_view text) {
  std::string out;
  std::size_t at = 0;
  while (at < text.size()) {
    const bool image = text[at] == '!' && at + 1 < text.size() && text[at + 1] == '[';
    const std::size_t open = image ? at + 1 : at;
    if (text[open] == '[' && (open == 0 || text[open - 1] != '\\')) {
      const std::size_t close = text.find(']', open);
      if (close != std::string_view::npos && close + 1 < text.size() && text[close + 1] == '(') {
        const std::size_t end = text.find(')', close);
        if (end != std::string_view::npos) {
          if (!image)
            out += text.substr(open + 1, close - open - 1);
          at = end + 1;
          continue;
        }
      }
    }
    out += text[at++];
  }
  return out;
}

std::string DropTags(std::string_view text) {
  std::string out;
  std::size_t at = 0;
  while (at < text.size()) {
    const bool escaped = at > 0 && text[at - 1] == '\\';
    const bool tag = text[at] == '<' && at + 1 < text.size() && !escaped &&
                     (std::isalpha(static_cast<unsigned char>(text[at + 1])) != 0 ||
                      text[at + 1] == '/' || text[at + 1] == '!');
    const std::size_t end = tag ? text.find('>', at) : std::string_view::npos;
    if (end != std::string_view::npos) {
      out += ' ';
      at = end + 1;
    } else {
      out += text[at++];
    }
  }
  return out;
}

std::string DecodeEntities(std::string_view text) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 8> kEntities = {{
      {"&quot;", "\""},
      {"&#39;", "'"},
      {"&amp;", "&"},
      {"&nbsp;", " "},
      {"&#160;", " "},
      {"&lt;", "<"},
      {"&gt;", ">"},
      {"&apos;", "'"},
  }};
  std::string out;
  std::size_t at = 0;
  while (at < text.size()) {
    bool replaced = false;
    if (text[at] == '&') {
      for (const auto& [entity, value] : kEntities) {
        if (text.substr(at, entity.size()) == entity) {
          out += value;
          at += entity.size();
          replaced = true;
          break;
        }
      }
    }
    if (!replaced)
      out += text[at++];
  }
  return out;
}

// Backslash escapes become their character; '*' and '`' of emphasis and code go.
std::string DropEmphasis(std::string_view text) {
  std::string out;
  for (std::size_t at = 0; at < text.size(); ++at) {
    const char c = text[at];
    // Inside code a backslash is itself ("Windows Update\\`"); the code marks go anyway.
    if (c == '\\' && at + 1 < text.size() && text[at + 1] != '`' &&
        std::ispunct(static_cast<unsigned char>(text[at + 1]))) {
      out += text[++at];
    } else if (c != '*' && c != '`') {
      out += c;
    }
  }
  return out;
}

std::string CollapseBlanks(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const bool blank = c == ' ' || c == '\t' || c == '\r' || c == '\n';
    if (blank) {
      if (!out.empty() && out.back() != ' ')
        out += ' ';
    } else {
      out += c;
    }
  }
  return std::string(Trim(out));
}

bool IsBreakTag(std::string_view tag) {
  const std::string lower = LowerCase(tag);
  for (const std::string_view name : {"br", "p", "/p", "li", "/li", "ol", "/ol", "ul", "/ul"}) {
    if (lower.starts_with(name) && (lower.size() == name.size() ||
                                    !std::isalpha(static_cast<unsigned char>(lower[name.size()]))))
      return true;
  }
  return false;
}

// "0x" or "0X" at `at`, starting a word.
bool HexPrefixAt(std::string_view text, std::size_t at) {
  return at + 1 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X') &&
         (at == 0 || !IsWordByte(text[at - 1]));
}

std::uint32_t HexValue(std::string_view digits) {
  std::uint32_t value = 0;
  for (const char c : digits)
    value = value * 16 + static_cast<std::uint32_t>(
                             std::isdigit(static_cast<unsigned char>(c))
                                 ? c - '0'
                                 : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
  return value;
}

// The run of hexadecimal digits at `at`, and whether a word end (an 'L' suffix allowed) follows.
std::pair<std::size_t, bool> HexRun(std::string_view text, std::size_t at) {
  std::size_t end = at;
  while (end < text.size() && IsHex(text[end])) ++end;
  std::size_t after = end;
  if (after < text.size() && text[after] == 'L')
    ++after;
  return {end - at, after >= text.size() || !IsWordByte(text[after])};
}

}  // namespace

std::string PlainText(std::string_view markup) {
  return CollapseBlanks(DecodeEntities(DropEmphasis(DropTags(DropLinks(markup)))));
}

std::vector<std::string> PlainLines(std::string_view markup) {
  std::vector<std::string> lines;
  std::string current;
  const auto flush = [&] {
    std::string line = PlainText(current);
    if (!line.empty())
      lines.push_back(std::move(line));
    current.clear();
  };
  std::size_t at = 0;
  while (at < markup.size()) {
    if (markup[at] == '\n') {
      flush();
      ++at;
      continue;
    }
    if (markup[at] == '<') {
      const std::size_t end = markup.find('>', at);
      if (end != std::string_view::npos && IsBreakTag(markup.substr(at + 1, end - at - 1))) {
        flush();
        at = end + 1;
        continue;
      }
    }
    current += markup[at++];
  }
  flush();
  return lines;
}

std::vector<std::uint32_t> FindCodes(std::string_view text) {
  std::vector<std::uint32_t> codes;
  std::size_t at = 0;
  while (at < text.size()) {
    if (HexPrefixAt(text, at)) {
      const auto [digits, wordEnd] = HexRun(text, at + 2);
      if (digits == 8 && wordEnd)
        codes.push_back(HexValue(text.substr(at + 2, 8)));
      at += 2 + digits;
      continue;
    }
    const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(text[at])));
    if ((c == '8' || c == 'C') && (at == 0 || !IsWordByte(text[at - 1]))) {
      const auto [digits, wordEnd] = HexRun(text, at);
      if (digits == 8 && wordEnd && text.substr(at + 8, 1) != "L")
        codes.push_back(HexValue(text.substr(at, 8)));
      at += digits;
      continue;
    }
    ++at;
  }
  return codes;
}

std::vector<std::string> FindMalformedCodes(std::string_view text) {
  std::vector<std::string> malformed;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (!HexPrefixAt(text, at))
      continue;
    const auto [digits, wordEnd] = HexRun(text, at + 2);
    if (wordEnd && digits > 5 && digits != 8)
      malformed.emplace_back(text.substr(at, 2 + digits));
    at += 1 + digits;
  }
  return malformed;
}

bool IsDefineName(std::string_view text) {
  if (text.empty() || text.find('_') == std::string_view::npos || text.front() == '_')
    return false;
  for (const char c : text) {
    if (!(std::isupper(static_cast<unsigned char>(c)) ||
          std::isdigit(static_cast<unsigned char>(c)) || c == '_'))
      return false;
  }
  return true;
}

std::vector<std::string> PageLines(std::string_view page) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at <= page.size()) {
    std::size_t end = page.find('\n', at);
    if (end == std::string_view::npos)
      end = page.size();
    std::string_view line = page.substr(at, end - at);
    if (!line.empty() && line.back() == '\r')
      line.remove_suffix(1);
    lines.emplace_back(line);
    at = end + 1;
  }
  if (!lines.empty() && lines.front() == "---") {
    for (std::size_t i = 1; i < lines.size(); ++i) {
      if (lines[i] == "---") {
        lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(i) + 1);
        break;
      }
    }
  }
  return lines;
}

std::string LowerCase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         LowerCase(text.substr(0, prefix.size())) == LowerCase(prefix);
}

}  // namespace quillon::make_defines
