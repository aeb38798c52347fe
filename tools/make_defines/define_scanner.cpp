#include "tools/make_defines/define_scanner.h"

#include <cstddef>

namespace quillon::make_defines {
namespace {

struct LogicalLine {
  std::string text;
  int line = 0;
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

bool IsIdentifierStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool IsIdentifierChar(char c) {
  return IsIdentifierStart(c) || (c >= '0' && c <= '9');
}

// Splits the text into logical lines: backslash-newline pairs are removed, each comment
// becomes one blank (a block comment may span lines without ending the logical line), and
// quoted literals are copied untouched so that "/*" inside them is not a comment.
std::vector<LogicalLine> LogicalLines(std::string_view text) {
  std::vector<LogicalLine> lines;
  LogicalLine current{{}, 1};
  int physicalLine = 1;
  char quote = 0;
  bool inBlockComment = false;
  bool inLineComment = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\\' && !inBlockComment) {
      std::size_t next = i + 1;
      if (next < text.size() && text[next] == '\r')
        ++next;
      if (next < text.size() && text[next] == '\n') {
        i = next;
        ++physicalLine;
        continue;
      }
    }
    if (c == '\n') {
      ++physicalLine;
      if (inBlockComment)
        continue;
      inLineComment = false;
      quote = 0;  // an unterminated literal ends with its line
      lines.push_back(std::move(current));
      current = LogicalLine{{}, physicalLine};
      continue;
    }
    if (inLineComment)
      continue;
    if (inBlockComment) {
      if (c == '*' && i + 1 < text.size() && text[i + 1] == '/') {
        inBlockComment = false;
        ++i;
        current.text += ' ';
      }
      continue;
    }
    if (quote != 0) {
      current.text += c;
      if (c == '\\' && i + 1 < text.size() && text[i + 1] != '\n') {
        current.text += text[++i];
      } else if (c == quote) {
        quote = 0;
      }
      continue;
    }
    if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
      inBlockComment = true;
      ++i;
      continue;
    }
    if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
      inLineComment = true;
      continue;
    }
    if (c == '"' || c == '\'')
      quote = c;
    current.text += c;
  }
  if (!current.text.empty())
    lines.push_back(std::move(current));
  return lines;
}

std::size_t SkipBlanks(std::string_view text, std::size_t pos) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  return pos;
}

// The text with leading and trailing blanks removed and inner runs of blanks made one space.
std::string CollapseBlanks(std::string_view text) {
  std::string result;
  bool pendingSpace = false;
  for (const char c : text) {
    if (IsBlank(c)) {
      pendingSpace = !result.empty();
      continue;
    }
    if (pendingSpace)
      result += ' ';
    pendingSpace = false;
    result += c;
  }
  return result;
}

// "a, b ,c" as {"a", "b", "c"}; "" as none.
std::vector<std::string> SplitParameters(std::string_view list) {
  std::vector<std::string> parameters;
  if (CollapseBlanks(list).empty())
    return parameters;
  std::size_t start = 0;
  for (std::size_t comma = list.find(',');; comma = list.find(',', start)) {
    const std::size_t end = comma == std::string_view::npos ? list.size() : comma;
    parameters.push_back(CollapseBlanks(list.substr(start, end - start)));
    if (comma == std::string_view::npos)
      break;
    start = comma + 1;
  }
  return parameters;
}

}  // namespace

std::vector<MacroDefinition> ScanDefines(std::string_view headerText) {
  constexpr std::string_view kDefine = "define";
  std::vector<MacroDefinition> definitions;
  for (const LogicalLine& logical : LogicalLines(headerText)) {
    const std::string_view text = logical.text;
    std::size_t pos = SkipBlanks(text, 0);
    if (pos >= text.size() || text[pos] != '#')
      continue;
    pos = SkipBlanks(text, pos + 1);
    if (text.substr(pos, kDefine.size()) != kDefine)
      continue;
    pos += kDefine.size();
    const std::size_t nameStart = SkipBlanks(text, pos);
    if (nameStart == pos || nameStart >= text.size() || !IsIdentifierStart(text[nameStart])) {
      continue;  // "#defined", "#define" alone or "#define 1"
    }
    std::size_t nameEnd = nameStart;
    while (nameEnd < text.size() && IsIdentifierChar(text[nameEnd])) ++nameEnd;

    MacroDefinition definition;
    definition.name = std::string(text.substr(nameStart, nameEnd - nameStart));
    definition.line = logical.line;
    std::size_t bodyStart = nameEnd;
    if (nameEnd < text.size() && text[nameEnd] == '(') {
      definition.functionLike = true;
      const std::size_t close = text.find(')', nameEnd);
      bodyStart = close == std::string_view::npos ? text.size() : close + 1;
      definition.parameters = SplitParameters(text.substr(nameEnd + 1, bodyStart - nameEnd - 2));
    }
    definition.body = CollapseBlanks(text.substr(bodyStart));
    definitions.push_back(std::move(definition));
  }
  return definitions;
}

}  // namespace quillon::make_defines
