#include "tools/make_defines/code_page_reader.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "base/code_bits.h"
#include "tools/make_defines/doc_markup.h"

namespace quillon::make_defines {
namespace {

struct Reading {
  bool english = false;
  bool smallValuesAreWin32 = false;
};

// A translated name: blanks put around its underscores or in place of them ("E _ ACCESSDENIED",
// "SMON _ STATUS _ DUPL COUNTER PATH _ _"): capitals, digits, underscores and blanks, with an
// underscore and a blank. A name cell, but not one to take.
bool IsSpacedName(std::string_view text) {
  return text.find(' ') != std::string_view::npos && text.find('_') != std::string_view::npos &&
         std::all_of(text.begin(), text.end(), [](char c) {
           return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == ' ';
         });
}

// A piece of a cell: a value, a value with its name, a name, or none of these (nullopt: text).
bool TakeCodePiece(std::string_view piece, const Reading& reading, DocumentedCode& code) {
  if (const std::optional<std::uint32_t> value = ParseDocValue(piece)) {
    if (!code.value)
      code.value = value;
    return true;
  }
  if (const std::optional<ValueAndName> both = ParseValueAndName(piece)) {
    if (!code.value)
      code.value = both->value;
    if (reading.english && code.name.empty())
      code.name = both->name;
    return true;
  }
  // "0x00000000 (PDH _ CSTATUS _ VALID _ DATA)", "SMON _ STATUS _ DUPL (0XC0001388)": a value
  // and a translated name, in either order.
  const std::size_t open = piece.rfind(" (");
  if (open != std::string_view::npos && piece.ends_with(")")) {
    const std::string_view outer = piece.substr(0, open);
    const std::string_view inner = piece.substr(open + 2, piece.size() - open - 3);
    const bool valueFirst = ParseDocValue(outer).has_value();
    const std::optional<std::uint32_t> value = ParseDocValue(valueFirst ? outer : inner);
    if (value && IsSpacedName(valueFirst ? inner : outer)) {
      if (!code.value)
        code.value = value;
      return true;
    }
  }
  if (IsCodeName(piece)) {
    if (reading.english && code.name.empty())
      code.name = std::string(piece);
    return true;
  }
  return IsSpacedName(piece);
}

void SetKind(DocumentedCode& code, const Reading& reading) {
  if (code.value && *code.value <= kLargestWin32Code && reading.smallValuesAreWin32)
    code.kind = ErrorType::Win32;
}

// One table row: the anchored cell gives the name (and the value beside it); other cells are
// a value, a name, or text, the first text being the code's.
std::optional<DocumentedCode> ReadRow(const std::vector<std::string>& cells, const Reading& reading,
                                      std::optional<std::size_t>& textColumn) {
  DocumentedCode code;
  for (std::size_t column = 0; column < cells.size(); ++column) {
    const std::string& cell = cells[column];
    const std::vector<std::string> anchors = AnchorIds(cell);
    const std::string plain = MarkupText(cell);
    const std::vector<std::string> lines = Lines(plain);
    if (!anchors.empty()) {
      if (code.name.empty())
        code.name = anchors.front();
      for (const std::string& line : lines) {
        if (!code.value)
          code.value = ParseDocValue(line);
      }
      continue;
    }
    const std::string line = OneLine(plain);
    if (line.empty() || TakeCodePiece(line, reading, code))
      continue;
    // A definition list of a name and a value without an anchor: each line a piece.
    DocumentedCode pieces = code;
    if (lines.size() > 1 && std::all_of(lines.begin(), lines.end(), [&](const std::string& l) {
          return TakeCodePiece(l, reading, pieces);
        })) {
      code = pieces;
      continue;
    }
    if (code.text.empty()) {
      code.text = line;
      textColumn = column;
    }
  }
  if (!code.value && code.name.empty())
    return std::nullopt;
  SetKind(code, reading);
  return code;
}

bool IsHeading(std::string_view line) {
  return line.starts_with("#");
}

// A line that is only a bold name: "**SCHED_S_TASK_READY**" (a translation spaces it out).
bool IsBoldName(std::string_view line) {
  while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
  if (line.size() < 5 || !line.starts_with("**") || !line.ends_with("**"))
    return false;
  std::string name = OneLine(MarkupText(line));
  std::erase(name, ' ');
  return IsCodeName(name);
}

// An entry starts at a line with an anchor and, after it, the name (mostly bold), or at a
// line of a bold name alone.
bool StartsEntry(std::string_view line) {
  const std::size_t anchor = line.find("<span id=\"");
  if (anchor == std::string_view::npos)
    return IsBoldName(line);
  const std::size_t last = line.rfind("</span>");
  return last != std::string_view::npos && !OneLine(MarkupText(line.substr(last + 7))).empty();
}

// "#define NAME VALUE" as some pages quote the header: the name and the value.
std::optional<ValueAndName> DefineLine(std::string_view paragraph) {
  constexpr std::string_view kDefine = "#define ";
  if (!paragraph.starts_with(kDefine))
    return std::nullopt;
  paragraph.remove_prefix(kDefine.size());
  const std::size_t blank = paragraph.find(' ');
  if (blank == std::string_view::npos)
    return std::nullopt;
  const std::optional<std::uint32_t> value = ParseDocValue(paragraph.substr(blank + 1));
  const std::string_view name = paragraph.substr(0, blank);
  if (!value || !IsCodeName(name))
    return std::nullopt;
  return ValueAndName{*value, std::string(name)};
}

// The value and text of an anchored entry: the lines after its name, up to the next entry.
DocumentedCode ReadEntry(std::string_view nameLine, const std::vector<std::string_view>& body,
                         const Reading& reading) {
  DocumentedCode code;
  const std::vector<std::string> anchors = AnchorIds(nameLine);
  if (!anchors.empty())
    code.name = anchors.front();
  else if (reading.english)
    code.name = OneLine(MarkupText(nameLine));
  // "NAME (0x00200017)": the value beside the name.
  if (const std::optional<ValueAndName> both = ParseValueAndName(OneLine(MarkupText(nameLine))))
    code.value = both->value;
  std::string markup;
  for (const std::string_view line : body) {
    markup += line;
    markup += '\n';
  }
  std::vector<std::string> text;
  for (const std::string& paragraph : Paragraphs(MarkupText(markup))) {
    if (const std::optional<ValueAndName> define = DefineLine(paragraph)) {
      if (code.name.empty())
        code.name = define->name;
      if (!code.value && define->name == code.name)
        code.value = define->value;
      continue;
    }
    if (!code.value && text.empty()) {
      if ((code.value = ParseDocValue(paragraph)))
        continue;
    }
    text.push_back(paragraph);
  }
  for (const std::string& paragraph : text) {
    if (!code.text.empty())
      code.text += ' ';
    code.text += paragraph;
  }
  SetKind(code, reading);
  return code;
}

// The rows of a table: on their own, or, when the English page's table has the same shape,
// each with the English row's code and the text of the English text column.
TableReading ReadTable(const MarkupTable& table, const Reading& reader,
                       const TableReading* english) {
  TableReading reading;
  for (const std::vector<std::string>& row : table.rows)
    reading.columns = std::max(reading.columns, row.size());
  const bool aligned = english != nullptr && english->columns == reading.columns &&
                       english->rows.size() == table.rows.size() && english->textColumn;
  std::vector<std::size_t> textColumns(reading.columns, 0);
  for (std::size_t r = 0; r < table.rows.size(); ++r) {
    const std::vector<std::string>& cells = table.rows[r];
    if (aligned) {
      std::optional<DocumentedCode> code = english->rows[r];
      if (code) {
        const std::size_t column = *english->textColumn;
        code->text = column < cells.size() ? OneLine(MarkupText(cells[column])) : "";
      }
      reading.rows.push_back(std::move(code));
      continue;
    }
    std::optional<std::size_t> textColumn;
    reading.rows.push_back(ReadRow(cells, reader, textColumn));
    if (reading.rows.back() && textColumn)
      ++textColumns[*textColumn];
  }
  reading.textColumn = aligned ? english->textColumn : std::nullopt;
  const auto most = std::max_element(textColumns.begin(), textColumns.end());
  if (!aligned && most != textColumns.end() && *most > 0)
    reading.textColumn = static_cast<std::size_t>(most - textColumns.begin());
  return reading;
}

}  // namespace

CodePageReading ReadCodePage(std::string_view text, const DocumentPage& page,
                             bool smallValuesAreWin32, const CodePageReading* english,
                             std::string& error) {
  const Reading reader{page.language == "en-US", smallValuesAreWin32};
  CodePageReading reading{{page, {}, 0}, {}};
  DocumentedPage& documented = reading.page;
  std::vector<std::string_view> lines = SplitLines(PageBody(text));
  // Code samples hold no rows: their lines are read as blank.
  bool inFence = false;
  for (std::string_view& line : lines) {
    const bool fence = line.find_first_not_of(' ') != std::string_view::npos &&
                       line.substr(line.find_first_not_of(' ')).starts_with("```");
    if (fence || inFence)
      line = std::string_view();
    inFence = inFence != fence;
  }
  const std::vector<TableSpan> tables = FindTables(lines);
  std::vector<bool> inTable(lines.size(), false);
  for (const TableSpan& span : tables) {
    std::fill(inTable.begin() + static_cast<std::ptrdiff_t>(span.first),
              inTable.begin() + static_cast<std::ptrdiff_t>(span.end), true);
  }

  // Codes in the order the page gives them: entries and tables as they come.
  std::size_t nextTable = 0;
  std::size_t i = 0;
  while (i < lines.size()) {
    if (nextTable < tables.size() && tables[nextTable].first == i) {
      const TableReading* same = english != nullptr && nextTable < english->tables.size()
                                     ? &english->tables[nextTable]
                                     : nullptr;
      reading.tables.push_back(ReadTable(tables[nextTable].table, reader, same));
      for (const std::optional<DocumentedCode>& code : reading.tables.back().rows) {
        ++documented.rowsRead;
        if (code)
          documented.codes.push_back(*code);
      }
      i = tables[nextTable++].end;
      continue;
    }
    if (inTable[i] || !StartsEntry(lines[i])) {
      ++i;
      continue;
    }
    const std::size_t start = i++;
    std::vector<std::string_view> body;
    while (i < lines.size() && !inTable[i] && !StartsEntry(lines[i]) && !IsHeading(lines[i]))
      body.push_back(lines[i++]);
    ++documented.rowsRead;
    documented.codes.push_back(ReadEntry(lines[start], body, reader));
  }
  if (documented.codes.empty())
    error = "no code found in " + std::to_string(documented.rowsRead) + " rows";
  return reading;
}

}  // namespace quillon::make_defines
