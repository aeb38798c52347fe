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
  const std::string text = OneLine(MarkupText(cell));
  if (text.empty() || text.size() > 24)
    return std::nullopt;
  const char last = text.back();
  if (last < '1' || last > '4' ||
      (text.size() > 1 && text[text.size() - 2] != ' ' &&
       static_cast<unsigned char>(text[text.size() - 2]) < 0x80))
    return std::nullopt;
  return last - '0';
}

std::string CellText(const std::string& cell) {
  return OneLine(MarkupText(cell));
}

// A table of "1 | meaning" rows, one per parameter.
bool ReadParameterTable(const MarkupTable& table, std::vector<BugCheckParameter>& parameters) {
  std::vector<BugCheckParameter> read;
  for (const std::vector<std::string>& row : table.rows) {
    // "1", or "2 - Depends on UniqueValue": the number, and what the cell says beside it.
    const std::string number = row.empty() ? "" : CellText(row[0]);
    if (row.size() < 2 || number.empty() || number[0] < '1' || number[0] > '4' ||
        (number.size() > 1 && number[1] != ' '))
      return false;
    std::string meaning = OneLine(number.substr(1));
    while (!meaning.empty() && (meaning[0] == '-' || meaning[0] == ':' || meaning[0] == ' '))
      meaning.erase(0, 1);
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

// The value a case's key cell starts with ("0x1", "3 (the handle table)"); none for prose.
std::optional<std::uint32_t> LeadingValue(const std::string& text) {
  return ParseDocValue(std::string_view(text).substr(0, text.find(' ')));
}

// The column that selects the case: the first parameter column whose cells all hold numbers
// (INVALID_KERNEL_HANDLE keys on parameter 2), else the first column when it names a parameter.
std::optional<std::size_t> KeyColumn(const MarkupTable& table) {
  for (std::size_t c = 0; c < table.heading.size(); ++c) {
    if (!ParameterOfHeading(table.heading[c]))
      continue;
    const bool numbers = std::all_of(table.rows.begin(), table.rows.end(), [c](const auto& row) {
      return c < row.size() && LeadingValue(CellText(row[c])).has_value();
    });
    if (numbers && !table.rows.empty())
      return c;
  }
  if (!table.heading.empty() && ParameterOfHeading(table.heading[0]))
    return 0;
  return std::nullopt;
}

// A table whose key column is the value of a parameter: each row a case.
bool ReadCaseTable(const MarkupTable& table, std::vector<BugCheckCase>& cases) {
  if (table.heading.size() < 2)
    return false;
  const std::optional<std::size_t> keyColumn = KeyColumn(table);
  if (!keyColumn)
    return false;
  const int key = *ParameterOfHeading(table.heading[*keyColumn]);
  for (const std::vector<std::string>& row : table.rows) {
    if (row.size() <= *keyColumn)
      continue;
    BugCheckCase entry;
    entry.parameter = key;
    entry.valueText = CellText(row[*keyColumn]);
    entry.value = LeadingValue(entry.valueText);
    for (std::size_t c = 0; c < row.size() && c < table.heading.size(); ++c) {
      const std::string text = CellText(row[c]);
      const std::optional<int> number = ParameterOfHeading(table.heading[c]);
      if (c == *keyColumn || text.empty())
        continue;
      if (number && *number != key)
        entry.parameters.push_back({*number, text});
      else if (!number)
        entry.cause += (entry.cause.empty() ? "" : " ") + text;
    }
    cases.push_back(std::move(entry));
  }
  return true;
}

bool IsLevel2(std::string_view line) {
  return line.starts_with("## ");
}

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
  bugCheck.description = OneLine(MarkupText(paragraph));

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
