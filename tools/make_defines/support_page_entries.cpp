#include "tools/make_defines/support_page_entries.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <utility>

#include "tools/make_defines/support_markup.h"

namespace quillon::make_defines {
namespace {

struct Section {
  int level = 0;  // 0: the text before the first heading
  std::string title;
  std::vector<std::string> body;
};

enum class Role { None, Codes, Name, Text, Cause, Remedy, Phase, Operation };

using Row = std::vector<std::string>;  // cells, as markup

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

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
  const std::string lower = Lower(line.substr(0, 3));
  if (lower.size() == 3 && lower[0] == '<' && lower[1] == 'h' && lower[2] >= '1' && lower[2] <= '6')
    return {lower[2] - '0', PlainText(line)};
  return {0, {}};
}

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
      std::string name = Lower(html.substr(at + 1, end - at - 1));
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
  const std::string lower = Lower(text);
  std::size_t count = 0;
  for (std::size_t at = lower.find(what); at != std::string::npos; at = lower.find(what, at + 1))
    ++count;
  return count;
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

// The resolution procedures write each pair as three small tables labelled Code, Cause and
// Mitigation; made here into rows under that header.
std::vector<Row> LabelledRecords(const std::vector<Row>& rows) {
  std::vector<Row> records = {{"Code", "Cause", "Mitigation"}};
  int field = -1;
  for (const Row& row : rows) {
    const std::vector<std::string> plain = NonEmptyPlain(row);
    const std::string label = plain.size() == 1 ? Lower(plain[0]) : std::string();
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

std::vector<std::vector<Row>> Tables(const std::vector<std::string>& body) {
  std::vector<std::vector<Row>> tables;
  for (std::size_t i = 0; i < body.size();) {
    const std::string_view line = TrimStart(body[i]);
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
        return plain.size() == 1 && Lower(plain[0]) == "code";
      });
      tables.push_back(labelled ? LabelledRecords(rows) : std::move(rows));
      continue;
    }
    ++i;
  }
  return tables;
}

std::optional<Role> HeaderRole(std::string_view plain, bool hasCodes) {
  const std::string word = Lower(plain);
  if (word == "error code" || word == "error codes" || word == "code" || word == "result code" ||
      word == "hex")
    return Role::Codes;
  if (word == "error")
    return hasCodes ? Role::Name : Role::Codes;
  if (word == "message")
    return Role::Name;
  if (word == "description" || word == "error message")
    return Role::Text;
  if (word == "cause")
    return Role::Cause;
  if (word == "mitigation" || word == "solution" || word == "resolution")
    return Role::Remedy;
  if (word == "phase")
    return Role::Phase;
  if (word == "operation")
    return Role::Operation;
  if (word == "activation type")
    return Role::None;
  return std::nullopt;
}

// The roles of a header row's columns, or nothing when the row is not a header.
std::optional<std::vector<Role>> HeaderRoles(const Row& row) {
  bool hasCodes = false;
  for (const std::string& cell : row) {
    const std::string word = Lower(PlainText(cell));
    hasCodes = hasCodes || word.find("code") != std::string::npos || word == "hex";
  }
  std::vector<Role> roles;
  bool any = false;
  for (const std::string& cell : row) {
    const std::string plain = PlainText(cell);
    if (plain.empty()) {
      roles.push_back(Role::None);
      continue;
    }
    const std::optional<Role> role = HeaderRole(plain, hasCodes);
    if (!role)
      return std::nullopt;
    roles.push_back(*role);
    any = true;
  }
  if (!any)
    return std::nullopt;
  return roles;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string joined;
  for (const std::string& line : lines) joined += (joined.empty() ? "" : " ") + line;
  return joined;
}

// A text that repeats its code first ("0x8007007b DNS name does not exist.") loses it.
std::string WithoutLeadingCode(std::string text) {
  const std::vector<std::uint32_t> codes = FindCodes(text.substr(0, text.find(' ')));
  if (!codes.empty() && text.find(' ') != std::string::npos)
    text = text.substr(text.find(' ') + 1);
  return text;
}

struct HeadingCodes {
  std::vector<std::uint32_t> values;
  std::string text;  // what the heading says after its code
};

// A heading that is codes alone ("0x80072EFD or 0x80072EFE") or starts with one
// ("0xC004F074 No Key Management Service (KMS) could be contacted").
std::optional<HeadingCodes> CodesOfHeading(const std::string& title) {
  const std::vector<std::uint32_t> values = FindCodes(title);
  if (values.empty() || !FindCodes(title.substr(0, title.find(' '))).size())
    return std::nullopt;
  std::string rest;
  bool codesOnly = true;
  std::size_t at = 0;
  while (at < title.size()) {
    const std::size_t end = std::min(title.find(' ', at), title.size());
    const std::string word = title.substr(at, end - at);
    if (!word.empty() && FindCodes(word).empty() && Lower(word) != "or" && Lower(word) != "and" &&
        word != "," && word != "/")
      codesOnly = false;
    at = end + 1;
  }
  if (codesOnly)
    return HeadingCodes{values, {}};
  return HeadingCodes{{values.front()}, title.substr(title.find(' ') + 1)};
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
    const std::string plain = Lower(PlainText(line));
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

class PageReader {
 public:
  PageEntries Read(std::string_view page) {
    const std::vector<Section> sections = SplitSections(PageLines(page));
    std::vector<std::uint32_t> headingValues;
    for (const Section& section : sections) {
      const std::optional<HeadingCodes> heading =
          section.level > 1 ? CodesOfHeading(section.title) : std::nullopt;
      headingValues = heading ? heading->values : std::vector<std::uint32_t>();
      if (heading && !heading->text.empty())
        ReadCodeSection(*heading, section.body);
      for (const std::vector<Row>& table : Tables(section.body)) ReadTable(table, headingValues);
    }
    ReadWholePage(sections);
    return std::move(result_);
  }

 private:
  void Unused(std::string what) { result_.unused.push_back(std::move(what)); }

  // "### 0xC004F074 No KMS could be contacted", then "**Cause:**" and "**Solution:**".
  void ReadCodeSection(const HeadingCodes& heading, const std::vector<std::string>& body) {
    ++result_.rowsRead;
    PageEntry entry;
    entry.values = heading.values;
    entry.text = heading.text;
    entry.cause = JoinLines(Summary(LabelledPart(body, {"cause:", "causes:"})));
    entry.remedies = Summary(LabelledPart(body, {"solution:", "resolution:", "solutions:"}));
    result_.entries.push_back(std::move(entry));
  }

  void ReadTable(const std::vector<Row>& rows, const std::vector<std::uint32_t>& headingValues) {
    std::optional<std::vector<Role>> roles;
    for (const Row& row : rows) {
      if (std::optional<std::vector<Role>> header = HeaderRoles(row)) {
        roles = std::move(header);
        continue;
      }
      if (!roles || NonEmptyPlain(row).empty())
        continue;
      ++result_.rowsRead;
      ReadRow(row, *roles, headingValues);
    }
  }

  void ReadRow(const Row& row, const std::vector<Role>& roles,
               const std::vector<std::uint32_t>& headingValues) {
    std::string cells[8];
    for (std::size_t i = 0; i < row.size() && i < roles.size(); ++i)
      cells[static_cast<int>(roles[i])] += row[i];
    const auto cell = [&](Role role) -> const std::string& {
      return cells[static_cast<int>(role)];
    };
    const bool setupTable = !cell(Role::Phase).empty() || !cell(Role::Operation).empty();
    if (setupTable) {
      ReadSetupRow(PlainText(cell(Role::Codes)), !cell(Role::Phase).empty(),
                   PlainText(cell(Role::Phase) + cell(Role::Operation)));
      return;
    }
    const bool hasCodeColumn = std::find(roles.begin(), roles.end(), Role::Codes) != roles.end();
    PageEntry entry;
    const std::string codes = PlainText(cell(Role::Codes));
    if (hasCodeColumn) {
      entry.pairs = FindSetupPairs(codes);
      std::string rest = codes;
      for (auto pair = entry.pairs.rbegin(); pair != entry.pairs.rend(); ++pair)
        rest.erase(pair->begin, pair->end - pair->begin);
      entry.values = FindCodes(rest);
      for (const std::string& malformed : FindMalformedCodes(rest))
        Unused("a code of other than eight digits: " + malformed);
    } else {
      entry.values = headingValues;
      entry.sharedHeading = headingValues.size() > 1;
    }
    if (entry.values.empty() && entry.pairs.empty()) {
      Unused("a row that names no code: " + JoinLines(NonEmptyPlain(row)).substr(0, 100));
      return;
    }
    ReadMessage(PlainText(cell(Role::Name)), WithoutLeadingCode(PlainText(cell(Role::Text))),
                entry);
    if (!cell(Role::Cause).empty())
      entry.cause = PlainText(cell(Role::Cause));
    entry.remedies = PlainLines(cell(Role::Remedy));
    result_.entries.push_back(std::move(entry));
  }

  // A message cell is a name, "NAME; its text" (the description then says why), or neither.
  void ReadMessage(const std::string& message, std::string description, PageEntry& entry) {
    if (description == "NA")
      description.clear();
    const std::size_t semicolon = message.find(';');
    const std::string name = message.substr(0, semicolon);
    if (!IsDefineName(name)) {
      if (!message.empty())
        Unused("a message that is not a name: " + message.substr(0, 100));
      entry.text = std::move(description);
      return;
    }
    if (entry.sharedHeading) {
      Unused("a name under a heading of several codes: " + name);
    } else {
      entry.name = name;
    }
    if (semicolon == std::string::npos) {
      entry.text = std::move(description);
      return;
    }
    entry.text = PlainText(message.substr(semicolon + 1));
    entry.cause = std::move(description);
  }

  void ReadSetupRow(const std::string& hex, bool phase, const std::string& name) {
    if (hex.empty() || hex.size() > 2 || !std::all_of(hex.begin(), hex.end(), [](char c) {
          return std::isxdigit(static_cast<unsigned char>(c)) != 0;
        })) {
      Unused("an extend code table row without a number: " + hex + " " + name);
      return;
    }
    result_.setupRows.push_back({phase, static_cast<unsigned>(std::stoul(hex, nullptr, 16)), name});
  }

  // A page about one code (or one setup pair) names it in its title; its resolution is the
  // "Resolution" section's steps or first paragraph, or the page's "Step" sections.
  void ReadWholePage(const std::vector<Section>& sections) {
    const auto title = std::find_if(sections.begin(), sections.end(),
                                    [](const Section& section) { return section.level == 1; });
    if (title == sections.end() || !result_.entries.empty())
      return;
    PageEntry entry;
    entry.pairs = FindSetupPairs(title->title);
    if (entry.pairs.empty())
      entry.values = FindCodes(title->title);
    // A title of several codes may leave them to the summary's first paragraph.
    const auto summary = std::find_if(sections.begin(), sections.end(), [](const Section& s) {
      return s.level == 2 && StartsWithNoCase(s.title, "Summary");
    });
    if (entry.values.empty() && entry.pairs.empty() && summary != sections.end()) {
      const std::vector<std::string> paragraph = Summary(summary->body);
      entry.values = FindCodes(paragraph.empty() ? std::string() : paragraph.front());
    }
    if (entry.values.empty() && entry.pairs.empty())
      return;
    ++result_.rowsRead;
    entry.wholePage = true;
    entry.remedies = Resolution(sections);
    if (entry.remedies.empty()) {
      Unused("a page about " + title->title + " without a Resolution section");
      return;
    }
    result_.entries.push_back(std::move(entry));
  }

  static std::vector<std::string> StepTitles(std::vector<Section>::const_iterator begin,
                                             std::vector<Section>::const_iterator end, int level) {
    std::vector<std::string> titles;
    for (auto section = begin; section != end; ++section) {
      if (section->level == level && (StartsWithNoCase(section->title, "Step") ||
                                      StartsWithNoCase(section->title, "Resolution")))
        titles.push_back(section->title);
    }
    return titles;
  }

  // The section that says what to do: "Resolution", else the first that starts "To fix" or
  // "To resolve"; its steps, its first paragraph, or its first subsection's.
  static std::vector<std::string> Resolution(const std::vector<Section>& sections) {
    auto resolution = std::find_if(sections.begin(), sections.end(), [](const Section& s) {
      return s.level > 1 && StartsWithNoCase(s.title, "Resolution");
    });
    if (resolution == sections.end()) {
      resolution = std::find_if(sections.begin(), sections.end(), [](const Section& s) {
        const std::vector<std::string> summary = Summary(s.body);
        return s.level > 1 && !summary.empty() &&
               (StartsWithNoCase(summary.front(), "To fix") ||
                StartsWithNoCase(summary.front(), "To resolve"));
      });
    }
    if (resolution == sections.end())
      return StepTitles(sections.begin(), sections.end(), 2);
    const auto end = std::find_if(resolution + 1, sections.end(),
                                  [&](const Section& s) { return s.level <= resolution->level; });
    std::vector<std::string> steps = StepTitles(resolution + 1, end, resolution->level + 1);
    if (steps.empty())
      steps = Summary(resolution->body);
    if (steps.empty() && resolution + 1 != end)
      steps = Summary((resolution + 1)->body);
    return steps;
  }

  PageEntries result_;
};

}  // namespace

PageEntries ReadPageEntries(std::string_view page) {
  return PageReader().Read(page);
}

}  // namespace quillon::make_defines
