#include "tools/make_defines/support_page_blocks.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "tools/make_defines/support_markup.h"

namespace quillon::make_defines {
namespace {

std::string_view TrimStart(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

bool IsFence(std::string_view line) {
  return TrimStart(line).starts_with("```");
}

// "## Title" or "<h2 id=...>Title</h2>" at the start of a line; level 0 for neither.
std::pair<int, std::string> Heading(std::string_view line) {
  std::size_t hashes = 0;
  while (hashes < line.size() && line[hashes] == '#') ++hashes;
  if (hashes >= 1 && hashes <= 6 && hashes < line.size() && line[hashes] == ' ')
    return {static_cast<int>(hashes), PlainText(line.substr(hashes + 1))};
  const std::string lower = LowerCase(line.substr(0, 3));
  if (lower.size() == 3 && lower[0] == '<' && lower[1] == 'h' && lower[2] >= '1' && lower[2] <= '6')
    return {lower[2] - '0', PlainText(line)};
  return {0, {}};
}

// A Markdown row's cells; a '|' escaped by a backslash stays in its cell.
Row MarkdownCells(std::string_view line) {
  Row cells;
  std::string cell;
  const std::string_view trimmed = TrimStart(line);
  for (std::size_t i = 1; i < trimmed.size(); ++i) {
    if (trimmed[i] == '|' && trimmed[i - 1] != '\\') {
      cells.push_back(cell);
      cell.clear();
    } else {
      cell += trimmed[i];
    }
  }
  if (!PlainText(cell).empty())
    cells.push_back(cell);  // a last cell without its closing '|'
  return cells;
}

bool IsSeparatorRow(const Row& row) {
  return !row.empty() && std::all_of(row.begin(), row.end(), [](const std::string& cell) {
    const std::string plain = PlainText(cell);
    return !plain.empty() && plain.find_first_not_of(":- ") == std::string::npos;
  });
}

// An HTML table, nested ones too, as one list of rows: each <tr> starts a row, each <td> or
// <th> a cell; the rest of the markup stays in the cells.
std::vector<Row> HtmlRows(std::string_view html) {
  std::vector<Row> rows;
  std::size_t at = 0;
  while (at < html.size()) {
    if (html[at] == '<') {
      const std::size_t end = html.find('>', at);
      if (end == std::string_view::npos)
        break;
      std::string name = LowerCase(html.substr(at + 1, end - at - 1));
      name = name.substr(0, name.find_first_of(" \t\n/", name[0] == '/' ? 1 : 0));
      if (name == "tr") {
        rows.emplace_back();
      } else if (name == "td" || name == "th") {
        if (rows.empty())
          rows.emplace_back();
        rows.back().emplace_back();
      } else if (name != "/td" && name != "/th" && name != "/tr" && name != "table" &&
                 name != "/table" && !rows.empty() && !rows.back().empty()) {
        rows.back().back() += html.substr(at, end - at + 1);
      }
      at = end + 1;
      continue;
    }
    if (!rows.empty() && !rows.back().empty())
      rows.back().back() += html[at];
    ++at;
  }
  return rows;
}

std::size_t CountOf(std::string_view text, std::string_view what) {
  const std::string lower = LowerCase(text);
  std::size_t count = 0;
  for (std::size_t at = lower.find(what); at != std::string::npos; at = lower.find(what, at + 1))
    ++count;
  return count;
}

}  // namespace

std::vector<Section> SplitSections(const std::vector<std::string>& lines) {
  std::vector<Section> sections(1);
  bool fenced = false;
  for (const std::string& line : lines) {
    if (IsFence(line))
      fenced = !fenced;
    if (!fenced) {
      auto [level, title] = Heading(line);
      if (level > 0) {
        sections.push_back({level, std::move(title), {}});
        continue;
      }
    }
    sections.back().body.push_back(line);
  }
  return sections;
}

std::vector<std::string> NonEmptyPlain(const Row& row) {
  std::vector<std::string> plain;
  for (const std::string& cell : row) {
    std::string text = PlainText(cell);
    if (!text.empty())
      plain.push_back(std::move(text));
  }
  return plain;
}

namespace {

// The resolution procedures write each pair as three small tables labelled Code, Cause and
// Mitigation; made here into rows under that header.
std::vector<Row> LabelledRecords(const std::vector<Row>& rows) {
  std::vector<Row> records = {{"Code", "Cause", "Mitigation"}};
  int field = -1;
  for (const Row& row : rows) {
    const std::vector<std::string> plain = NonEmptyPlain(row);
    const std::string label = plain.size() == 1 ? LowerCase(plain[0]) : std::string();
    if (label == "code" || label == "cause" || label == "mitigation") {
      field = label == "code" ? 0 : label == "cause" ? 1 : 2;
      if (field == 0)
        records.push_back(Row(3));
      continue;
    }
    if (field < 0 || records.size() == 1)
      continue;
    for (const std::string& cell : row) {
      if (!PlainText(cell).empty())
        records.back()[static_cast<std::size_t>(field)] += cell + "\n";
    }
  }
  return records;
}

}  // namespace

std::vector<std::vector<Row>> Tables(const std::vector<std::string>& body) {
  std::vector<std::vector<Row>> tables;
  bool fenced = false;
  for (std::size_t i = 0; i < body.size();) {
    const std::string_view line = TrimStart(body[i]);
    if (IsFence(line))
      fenced = !fenced;
    if (fenced) {
      ++i;
      continue;
    }
    if (line.starts_with("|")) {
      std::vector<Row> rows;
      for (; i < body.size() && TrimStart(body[i]).starts_with("|"); ++i) {
        Row row = MarkdownCells(body[i]);
        if (!IsSeparatorRow(row))
          rows.push_back(std::move(row));
      }
      tables.push_back(std::move(rows));
      continue;
    }
    if (CountOf(line, "<table") > 0) {
      std::string html;
      long depth = 0;
      for (; i < body.size(); ++i) {
        html += body[i] + "\n";
        depth += static_cast<long>(CountOf(body[i], "<table")) -
                 static_cast<long>(CountOf(body[i], "</table"));
        if (depth <= 0) {
          ++i;
          break;
        }
      }
      std::vector<Row> rows = HtmlRows(html);
      const bool labelled = std::any_of(rows.begin(), rows.end(), [](const Row& row) {
        const std::vector<std::string> plain = NonEmptyPlain(row);
        return plain.size() == 1 && LowerCase(plain[0]) == "code";
      });
      tables.push_back(labelled ? LabelledRecords(rows) : std::move(rows));
      continue;
    }
    ++i;
  }
  return tables;
}

// The first paragraph of a body and, when it ends with ':', the list after it (one item a
// line); or the list it starts with. Notes, pictures and code blocks are passed over.
std::vector<std::string> Summary(const std::vector<std::string>& body) {
  std::vector<std::string> lines;
  std::string paragraph;
  bool fenced = false;
  bool inList = false;
  bool introduced = false;  // a paragraph ending in ':' was read; its list comes next
  for (const std::string& raw : body) {
    if (IsFence(raw)) {
      fenced = !fenced;
      continue;
    }
    const std::string_view line = TrimStart(raw);
    if (fenced || line.starts_with(">") || line.starts_with("![") || line.starts_with(":::") ||
        line.starts_with("[!"))
      continue;
    const bool indented = raw.starts_with("  ") || raw.starts_with("\t");
    std::size_t marker = 0;
    while (marker < line.size() && std::isdigit(static_cast<unsigned char>(line[marker]))) ++marker;
    const bool numbered = marker > 0 && line.substr(marker).starts_with(". ");
    const bool bullet = line.starts_with("- ") || line.starts_with("* ");
    if ((numbered || bullet) && !indented) {
      if (!paragraph.empty()) {
        const std::string text = PlainText(paragraph);
        lines.push_back(text);
        paragraph.clear();
        if (text.empty() || text.back() != ':')
          return lines;
      }
      std::string item = PlainText(line.substr(numbered ? marker + 2 : 2));
      if (!item.empty())
        lines.push_back(std::move(item));
      inList = true;
      continue;
    }
    if (line.empty()) {
      if (!paragraph.empty()) {
        lines.push_back(PlainText(paragraph));
        paragraph.clear();
        if (lines.back().empty() || lines.back().back() != ':')
          return lines;
        introduced = true;
      }
      continue;
    }
    if (introduced && !inList)
      return lines;  // the text after "follow these steps:" is no list
    if (indented && inList)
      continue;  // an item's own lines, commands and notes: the item's first line says it
    if (inList)
      return lines;
    paragraph += ' ';
    paragraph += line;
  }
  if (!paragraph.empty())
    lines.push_back(PlainText(paragraph));
  return lines;
}

// The body after a bold label line ("**Cause:**", "**Solution:**") up to the next label.
std::vector<std::string> LabelledPart(const std::vector<std::string>& body,
                                      std::initializer_list<std::string_view> labels) {
  std::vector<std::string> part;
  bool inside = false;
  for (const std::string& line : body) {
    const std::string plain = LowerCase(PlainText(line));
    const bool label = line.find("**") != std::string::npos && !plain.empty() &&
                       plain.back() == ':' && plain.size() < 16;
    if (label) {
      inside = std::any_of(labels.begin(), labels.end(),
                           [&](std::string_view name) { return plain == name; });
      continue;
    }
    if (inside)
      part.push_back(line);
  }
  return part;
}

}  // namespace quillon::make_defines
