#include "tools/make_defines/listed_codes.h"

#include <charconv>
#include <optional>

#include "base/code_bits.h"

namespace quillon::make_defines {
namespace {

// The lines that carry data, with their 1-based numbers: no comments, no blank lines.
template <typename Visit>
void ForEachDataLine(std::string_view text, Visit visit) {
  int number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++number;
    if (!line.empty() && line.back() == '\r')
      line.remove_suffix(1);
    if (line.empty() || line[0] == '#')
      continue;
    if (!visit(line, number))
      return;
  }
}

// "0x" and 1 to 8 hexadecimal digits, or decimal digits; nothing for anything else.
std::optional<std::uint32_t> ReadNumber(std::string_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || error != std::errc() || end != text.data() + text.size())
    return std::nullopt;
  return value;
}

bool IsName(std::string_view text) {
  if (text.empty() || (text[0] >= '0' && text[0] <= '9'))
    return false;
  for (const char c : text) {
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'))
      return false;
  }
  return true;
}

// The two fields of a line split at its tab.
std::optional<std::pair<std::string_view, std::string_view>> Fields(std::string_view line) {
  const std::size_t tab = line.find('\t');
  if (tab == std::string_view::npos || line.find('\t', tab + 1) != std::string_view::npos)
    return std::nullopt;
  return std::make_pair(line.substr(0, tab), line.substr(tab + 1));
}

std::string LineError(int number, std::string_view line) {
  return "line " + std::to_string(number) + " is not a code and its value: \"" + std::string(line) +
         "\"";
}

}  // namespace

Catalog ReadBugCheckList(std::string_view text, std::string& error) {
  Catalog catalog;
  ForEachDataLine(text, [&](std::string_view line, int number) {
    const auto fields = Fields(line);
    const std::optional<std::uint32_t> code = fields ? ReadNumber(fields->first) : std::nullopt;
    if (!code || !IsName(fields->second)) {
      error = LineError(number, line);
      return false;
    }
    catalog.rows.push_back({ErrorType::Stop, static_cast<std::int32_t>(*code),
                            std::string(fields->second), NameRank::Own,
                            std::string(kBugCheckListSource), 0});
    return true;
  });
  return catalog;
}

std::vector<StatusMapping> ReadStatusMap(std::string_view text, std::string& error) {
  std::vector<StatusMapping> mappings;
  ForEachDataLine(text, [&](std::string_view line, int number) {
    const auto fields = Fields(line);
    const std::optional<std::uint32_t> status = fields ? ReadNumber(fields->first) : std::nullopt;
    const std::optional<std::uint32_t> win32 = fields ? ReadNumber(fields->second) : std::nullopt;
    if (!status || !win32 || *win32 > kLargestWin32Code) {
      error = LineError(number, line);
      return false;
    }
    mappings.push_back({static_cast<std::int32_t>(*status), static_cast<std::int32_t>(*win32)});
    return true;
  });
  return mappings;
}

}  // namespace quillon::make_defines
