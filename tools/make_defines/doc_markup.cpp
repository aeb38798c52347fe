#include "tools/make_defines/doc_markup.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <utility>

namespace quillon::make_defines {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsUpper(char c) {
  return c >= 'A' && c <= 'Z';
}
bool IsNameChar(char c) {
  return IsUpper(c) || (c >= 'a' && c <= 'z') || IsDigit(c) || c == '_';
}
// What Markdown lets a backslash escape: ASCII punctuation.
bool IsEscapable(char c) {
  return c > ' ' && c < 0x7F && !IsUpper(c) && !(c >= 'a' && c <= 'z') && !IsDigit(c);
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (IsUpper(c))
      c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

// Removes the backslashes of Markdown escapes ("E\_FAIL").
std::string Unescape(std::string_view text) {
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && IsEscapable(text[i + 1]))
      ++i;
    plain += text[i];
  }
  return plain;
}

// One number token: decimal or 0x hexadecimal, an optional sign, a C suffix (L, U, UL).
std::optional<std::int64_t> ParseNumberToken(std::string_view token) {
  bool negative = false;
  if (!token.empty() && token[0] == '-') {
    negative = true;
    token.remove_prefix(1);
  }
  while (!token.empty() &&
         (token.back() == 'L' || token.back() == 'l' || token.back() == 'U' || token.back() == 'u'))
    token.remove_suffix(1);
  int base = 10;
  if (token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X')) {
    token.remove_prefix(2);
    base = 16;
  }
  if (token.empty() || token.size() > 10)
    return std::nullopt;
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value, base);
  if (error != std::errc() || end != token.data() + token.size())
    return std::nullopt;
  if (negative ? value > 0x80000000ULL : value > 0xFFFFFFFFULL)
    return std::nullopt;
  return negative ? -static_cast<std::int64_t>(value) : static_cast<std::int64_t>(value);
}

// The words of a value's spelling, casts and brackets removed.
std::vector<std::string_view> ValueTokens(std::string_view text) {
  std::vector<std::string_view> tokens;
  std::size_t i = 0;
  while (i < text.size()) {
    if (IsBlank(text[i]) || text[i] == '(' || text[i] == ')' || text[i] == ',') {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < text.size() && !IsBlank(text[end]) && text[end] != '(' && text[end] != ')' &&
           text[end] != ',')
      ++end;
    const std::string_view token = text.substr(i, end - i);
    if (token != "HRESULT" && token != "SCODE" && token != "_HRESULT_TYPEDEF_" &&
        token != "_NDIS_ERROR_TYPEDEF_" && token != "NTSTATUS")
      tokens.push_back(token);
    i = end;
  }
  return tokens;
}

std::optional<std::uint32_t> SameValue(const std::vector<std::string_view>& tokens) {
  std::optional<std::uint32_t> value;
  for (const std::string_view token : tokens) {
    const std::optional<std::int64_t> number = ParseNumberToken(token);
    if (!number)
      return std::nullopt;
    const auto bits = static_cast<std::uint32_t>(*number);
    if (value && *value != bits)
      return std::nullopt;
    value = bits;
  }
  return value;
}

bool StartsWithAt(std::string_view text, std::size_t at, std::string_view prefix) {
  return text.compare(at, prefix.size(), prefix) == 0;
}

// Tags that end a line of text when the markup is made plain.
bool BreaksLine(std::string_view tagName) {
  static constexpr std::array<std::string_view, 14> kBreaking = {
      "br", "dt", "dd", "dl", "p", "li", "ul", "ol", "tr", "td", "th", "table", "div", "pre"};
  return std::find(kBreaking.begin(), kBreaking.end(), tagName) != kBreaking.end();
}

// Removes HTML tags (a breaking one becomes a line end) and decodes the common entities.
std::string WithoutTags(std::string_view text) {
  std::string plain;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '<') {
      const std::size_t close = text.find('>', i);
      std::size_t nameStart = i + 1;
      if (nameStart < text.size() && text[nameStart] == '/')
        ++nameStart;
      std::size_t nameEnd = nameStart;
      while (nameEnd < text.size() && (IsNameChar(text[nameEnd]))) ++nameEnd;
      if (close != std::string_view::npos && nameEnd > nameStart) {
        if (BreaksLine(Lower(text.substr(nameStart, nameEnd - nameStart))))
          plain += '\n';
        i = close + 1;
        continue;
      }
    }
    if (text[i] == '&') {
      static constexpr std::array<std::pair<std::string_view, std::string_view>, 7> kEntities = {
          {{"&amp;", "&"},
           {"&lt;", "<"},
           {"&gt;", ">"},
           {"&quot;", "\""},
           {"&#39;", "'"},
           {"&nbsp;", " "},
           {"&#160;", " "}}};
      bool decoded = false;
      for (const auto& [entity, replacement] : kEntities) {
        if (StartsWithAt(text, i, entity)) {
          plain += replacement;
          i += entity.size();
          decoded = true;
          break;
        }
      }
      if (decoded)
        continue;
    }
    plain += text[i++];
  }
  return plain;
}

// Links become their text, images and emphasis markers go; code spans keep their text.
std::string WithoutMarkdown(std::string_view text) {
  std::string plain;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\\' && i + 1 < text.size() && IsEscapable(text[i + 1])) {
      plain += text[i + 1];
      i += 2;
      continue;
    }
    if ((c == '[' || (c == '!' && i + 1 < text.size() && text[i + 1] == '['))) {
      const std::size_t open = c == '!' ? i + 1 : i;
      const std::size_t close = text.find(']', open);
      if (close != std::string_view::npos && close + 1 < text.size() && text[close + 1] == '(') {
        const std::size_t end = text.find(')', close);
        if (end != std::string_view::npos) {
          if (c != '!')
            plain += WithoutMarkdown(text.substr(open + 1, close - open - 1));
          i = end + 1;
          continue;
        }
      }
    }
    if (c == '*' || c == '`') {
      ++i;
      continue;
    }
    plain += c;
    ++i;
  }
  return plain;
}

// The cells of one Markdown table row ("| a | b |"), split at pipes that are not escaped.
std::vector<std::string> MarkdownCells(std::string_view line) {
  line = Trim(line);
  if (!line.empty() && line.front() == '|')
    line.remove_prefix(1);
  if (!line.empty() && line.back() == '|' && (line.size() < 2 || line[line.size() - 2] != '\\'))
    line.remove_suffix(1);
  std::vector<std::string> cells(1);
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == '|') {
      cells.back() += "\\|";
      ++i;
    } else if (line[i] == '|') {
      cells.emplace_back();
    } else {
      cells.back() += line[i];
    }
  }
  for (std::string& cell : cells) cell = std::string(Trim(cell));
  return cells;
}

bool IsMarkdownRow(std::string_view line) {
  line = Trim(line);
  return line.size() > 1 && line.front() == '|';
}

bool IsDelimiterRow(std::string_view line) {
  line = Trim(line);
  if (!IsMarkdownRow(line) || line.find('-') == std::string_view::npos)
    return false;
  return std::all_of(line.begin(), line.end(),
                     [](char c) { return c == '|' || c == '-' || c == ':' || IsBlank(c); });
}

// The cells (<td> or <th>) of one HTML row, and whether they were heading cells.
std::vector<std::string> HtmlCells(std::string_view row, bool& heading) {
  std::vector<std::string> cells;
  heading = false;
  std::size_t at = 0;
  while (true) {
    const std::size_t td = row.find("<td", at);
    const std::size_t th = row.find("<th", at);
    const std::size_t start = std::min(td, th);
    if (start == std::string_view::npos)
      break;
    const bool isHeading = start == th;
    const std::size_t open = row.find('>', start);
    if (open == std::string_view::npos)
      break;
    const std::string_view closeTag = isHeading ? "</th>" : "</td>";
    std::size_t close = row.find(closeTag, open);
    if (close == std::string_view::npos)
      close = row.size();
    // "<thead" is no heading cell, only "<th>" and "<th ...>".
    const char after = row[start + 3];
    if (isHeading && after != '>' && after != ' ') {
      at = start + 3;
      continue;
    }
    heading = heading || isHeading;
    cells.emplace_back(Trim(row.substr(open + 1, close - open - 1)));
    at = close == row.size() ? close : close + closeTag.size();
  }
  return cells;
}

MarkupTable HtmlTable(std::string_view html) {
  MarkupTable table;
  std::size_t at = 0;
  while (true) {
    const std::size_t start = html.find("<tr", at);
    if (start == std::string_view::npos)
      break;
    std::size_t end = html.find("</tr>", start);
    if (end == std::string_view::npos)
      end = html.size();
    bool heading = false;
    std::vector<std::string> cells = HtmlCells(html.substr(start, end - start), heading);
    if (heading && table.rows.empty() && table.heading.empty())
      table.heading = std::move(cells);
    else if (!cells.empty())
      table.rows.push_back(std::move(cells));
    at = end;
  }
  return table;
}

}  // namespace

std::optional<std::uint32_t> ParseDocValue(std::string_view text) {
  const std::string plain = Unescape(text);
  const std::vector<std::string_view> tokens = ValueTokens(Trim(plain));
  if (tokens.empty() || tokens.size() > 2)
    return std::nullopt;
  return SameValue(tokens);
}

std::optional<ValueAndName> ParseValueAndName(std::string_view text) {
  const std::string plain = Unescape(text);
  const std::vector<std::string_view> tokens = ValueTokens(Trim(plain));
  if (tokens.size() != 2)
    return std::nullopt;
  const bool nameFirst = IsCodeName(tokens[0]);
  const std::string_view name = tokens[nameFirst ? 0 : 1];
  const std::optional<std::uint32_t> value = SameValue({tokens[nameFirst ? 1 : 0]});
  if (!value || !IsCodeName(name))
    return std::nullopt;
  return ValueAndName{*value, std::string(name)};
}

bool IsCodeName(std::string_view text) {
  if (text.empty() || IsDigit(text[0]) || !std::all_of(text.begin(), text.end(), IsNameChar))
    return false;
  if (text.find('_') != std::string_view::npos)
    return text.find_first_not_of('_') != std::string_view::npos;
  return text.size() >= 6 &&
         std::all_of(text.begin(), text.end(), [](char c) { return IsUpper(c) || IsDigit(c); });
}

std::vector<std::string> AnchorIds(std::string_view text) {
  std::vector<std::string> ids;
  constexpr std::string_view kOpen = "<span id=\"";
  std::size_t at = 0;
  while ((at = text.find(kOpen, at)) != std::string_view::npos) {
    at += kOpen.size();
    const std::size_t end = text.find('"', at);
    if (end == std::string_view::npos)
      break;
    std::string_view id = text.substr(at, end - at);
    // Some pages write the value into the id: "BG_E_HTTP_ERROR_505__0x801901F9_".
    for (std::size_t cut = id.find("__"); cut != std::string_view::npos;
         cut = id.find("__", cut + 1)) {
      if (cut + 2 < id.size() && IsDigit(id[cut + 2])) {
        id = id.substr(0, cut);
        break;
      }
    }
    ids.emplace_back(id);
    at = end;
  }
  return ids;
}

std::string MarkupText(std::string_view markup) {
  const std::string text = WithoutMarkdown(WithoutTags(markup));
  std::string plain;
  bool blank = false;
  for (const char c : text) {
    if (c == ' ' || c == '\t' || c == '\r') {
      blank = true;
      continue;
    }
    if (c == '\n') {
      plain += '\n';
      blank = false;
      continue;
    }
    if (blank && !plain.empty() && plain.back() != '\n')
      plain += ' ';
    blank = false;
    plain += c;
  }
  return plain;
}

std::string OneLine(std::string_view text) {
  std::string line;
  bool blank = false;
  for (const char c : text) {
    if (IsBlank(c)) {
      blank = true;
      continue;
    }
    if (blank && !line.empty())
      line += ' ';
    blank = false;
    line += c;
  }
  return line;
}

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  for (const std::string_view line : SplitLines(text)) {
    std::string one = OneLine(line);
    if (!one.empty())
      lines.push_back(std::move(one));
  }
  return lines;
}

std::vector<std::string> Paragraphs(std::string_view text) {
  std::vector<std::string> paragraphs;
  std::string current;
  for (const std::string_view line : SplitLines(text)) {
    if (Trim(line).empty()) {
      if (!current.empty())
        paragraphs.push_back(OneLine(current));
      current.clear();
    } else {
      current += ' ';
      current += line;
    }
  }
  if (!OneLine(current).empty())
    paragraphs.push_back(OneLine(current));
  return paragraphs;
}

std::vector<TableSpan> FindTables(const std::vector<std::string_view>& lines) {
  std::vector<TableSpan> tables;
  std::size_t i = 0;
  while (i < lines.size()) {
    const std::string_view line = Trim(lines[i]);
    if (line.starts_with("<table")) {
      TableSpan span;
      span.first = i;
      std::string html;
      while (i < lines.size()) {
        html += lines[i];
        html += '\n';
        if (lines[i++].find("</table>") != std::string_view::npos)
          break;
      }
      span.end = i;
      span.table = HtmlTable(html);
      tables.push_back(std::move(span));
      continue;
    }
    // A row starts with a pipe, or, in a table whose heading is followed by the delimiter
    // row, only holds one ("1 | Type of failure").
    const bool pipeless = !IsMarkdownRow(line) && line.find('|') != std::string_view::npos &&
                          i + 1 < lines.size() && IsDelimiterRow(lines[i + 1]);
    if (IsMarkdownRow(line) || pipeless) {
      TableSpan span;
      span.first = i;
      std::vector<std::vector<std::string>> rows;
      std::size_t delimiter = 0;
      while (i < lines.size() && (IsMarkdownRow(lines[i]) ||
                                  (pipeless && lines[i].find('|') != std::string_view::npos))) {
        if (IsDelimiterRow(lines[i]) && delimiter == 0)
          delimiter = rows.size() + 1;
        else
          rows.push_back(MarkdownCells(lines[i]));
        ++i;
      }
      span.end = i;
      // Rows above the delimiter are the heading; a table without one has none.
      if (delimiter > 0 && delimiter - 1 <= rows.size()) {
        for (std::size_t r = 0; r + 1 < delimiter; ++r) {
          if (span.table.heading.empty())
            span.table.heading = rows[r];
        }
        span.table.rows.assign(rows.begin() + static_cast<std::ptrdiff_t>(delimiter - 1),
                               rows.end());
      } else {
        span.table.rows = std::move(rows);
      }
      tables.push_back(std::move(span));
      continue;
    }
    ++i;
  }
  return tables;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r')
      line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos)
      break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

std::string_view PageBody(std::string_view text) {
  if (!text.starts_with("---"))
    return text;
  const std::size_t end = text.find("\n---", 3);
  if (end == std::string_view::npos)
    return text;
  const std::size_t next = text.find('\n', end + 4);
  return next == std::string_view::npos ? std::string_view() : text.substr(next + 1);
}

std::vector<std::string> FrontMatterList(std::string_view text, std::string_view key) {
  std::vector<std::string> values;
  const std::string_view front = text.substr(0, text.size() - PageBody(text).size());
  bool inList = false;
  for (const std::string_view line : SplitLines(front)) {
    const std::string_view trimmed = Trim(line);
    if (inList && trimmed.starts_with("- ")) {
      values.emplace_back(Trim(trimmed.substr(2)));
      continue;
    }
    inList = trimmed.starts_with(key) && trimmed.substr(key.size()).starts_with(":");
    if (inList) {
      const std::string_view rest = Trim(trimmed.substr(key.size() + 1));
      if (!rest.empty())
        values.emplace_back(rest);
    }
  }
  return values;
}

}  // namespace quillon::make_defines
