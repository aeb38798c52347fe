#include "tools/make_defines/bug_check_page.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

#include "tools/make_defines/doc_markup.h"

namespace quillon::make_defines {
namespace {

std::optional<std::uint32_t> CodeOfFileName(const std::string& path) {
  const std::string file = std::filesystem::path(path).filename().string();
  constexpr std::string_view kPrefix = "bug-check-0x";
  if (!file.starts_with(kPrefix))
    return std::nullopt;
  const char* first = file.data() + kPrefix.size();
  const char* last = file.data() + file.size();
  std::uint32_t code = 0;
  const auto [end, error] = std::from_chars(first, last, code, 16);
  if (error != std::errc() || end == first || (end != last && *end != '-' && *end != '.'))
    return std::nullopt;
  return code;
}

// The parameter a heading cell names: "Parameter 2", "参数 2" (a short cell ending in 1 to 4).
std::optional<int> ParameterOfHeading(const std::string& cell) {
  const std::string text = OneLine(PlainText(cell));
  if (text.empty() || text.size() > 24)
    return std::nullopt;
  const char last = text.back();
  if (last < '1' || last > '4' || (text.size() > 1 && text[text.size() - 2] != ' ' &&
                                   static_cast<unsigned char>(text[text.size() - 2]) < 0x80))
    return std::nullopt;
  return last - '0';
}

std::string CellText(const std::string& cell) { return OneLine(PlainText(cell)); }

// A table of "1 | meaning" rows, one per parameter.
bool ReadParameterTable(const MarkupTable& table, std::vector<BugCheckParameter>& parameters) {
  std::vector<BugCheckParameter> read;
  for (const std::vector<std::string>& row : table.rows) {
    const std::string number = row.empty() ? "" : CellText(row[0]);
    if (row.size() < 2 || number.size() != 1 || number[0] < '1' || number[0] > '4')
      return false;
    std::string meaning;
    for (std::size_t c = 1; c < row.size(); ++c) {
      const std::string text = CellText(row[c]);
      if (!text.empty())
        meaning += (meaning.empty() ? "" : " ") + text;
    }
    read.push_back({number[0] - '0', meaning});
  }
  if (read.empty())
    return false;
  parameters.insert(parameters.end(), read.begin(), read.end());
  return true;
}

// A table whose first column is the value of a parameter: each row a case.
bool ReadCaseTable(const MarkupTable& table, std::vector<BugCheckCase>& cases) {
  if (table.heading.size() < 2)
    return false;
  const std::optional<int> key = ParameterOfHeading(table.heading[0]);
  if (!key)
    return false;
  for (const std::vector<std::string>& row : table.rows) {
    if (row.empty())
      continue;
    BugCheckCase entry;
    entry.parameter = *key;
    entry.valueText = CellText(row[0]);
    const std::string_view first =
        std::string_view(entry.valueText).substr(0, entry.valueText.find(' '));
    entry.value = ParseDocValue(first);
    for (std::size_t c = 1; c < row.size() && c < table.heading.size(); ++c) {
      const std::string text = CellText(row[c]);
      const std::optional<int> number = ParameterOfHeading(table.heading[c]);
      if (number && *number != *key) {
        if (!text.empty())
          entry.parameters.push_back({*number, text});
      } else if (!text.empty()) {
        entry.cause += (entry.cause.empty() ? "" : " ") + text;
      }
    }
    cases.push_back(std::move(entry));
  }
  return true;
}

bool IsLevel2(std::string_view line) { return line.starts_with("## "); }

}  // namespace

DocumentedBugCheck ReadBugCheckPage(std::string_view text, const DocumentPage& page,
                                    std::string& error) {
  DocumentedBugCheck bugCheck;
  bugCheck.page = page;
  const std::optional<std::uint32_t> code = CodeOfFileName(page.path);
  if (!code) {
    error = "no bug check code in the file name";
    return bugCheck;
  }
  bugCheck.code = *code;
  // Most pages list the name alone; a few its title ("Bug Check 0x139 KERNEL_...").
  for (const std::string& entry : FrontMatterList(text, "api_name")) {
    const std::string_view last = std::string_view(entry).substr(entry.rfind(' ') + 1);
    if (bugCheck.name.empty() && IsCodeName(last))
      bugCheck.name = last;
  }

  const std::vector<std::string_view> lines = SplitLines(PageBody(text));
  // The description: the first paragraph of prose after the title.
  std::size_t i = 0;
  while (i < lines.size() && !lines[i].starts_with("# ")) ++i;
  std::string paragraph;
  for (++i; i < lines.size() && !IsLevel2(lines[i]); ++i) {
    const std::string_view line = lines[i];
    const bool prose = !line.empty() && line[0] != '>' && line[0] != '|' && line[0] != '<' &&
                       line[0] != '#' && line[0] != '!';
    if (prose) {
      paragraph += std::string(line) + " ";
    } else if (!paragraph.empty()) {
      break;
    }
  }
  bugCheck.description = OneLine(PlainText(paragraph));

  // The parameters: the tables of the first section after the description.
  while (i < lines.size() && !IsLevel2(lines[i])) ++i;
  std::size_t end = i + 1;
  while (end < lines.size() && !IsLevel2(lines[end])) ++end;
  if (i < lines.size()) {
    const std::vector<std::string_view> section(lines.begin() + static_cast<std::ptrdiff_t>(i),
                                                lines.begin() + static_cast<std::ptrdiff_t>(end));
    for (const TableSpan& span : FindTables(section)) {
      if (!ReadParameterTable(span.table, bugCheck.parameters))
        ReadCaseTable(span.table, bugCheck.cases);
    }
  }
  return bugCheck;
}

}  // namespace quillon::make_defines
