#include "tools/make_defines/support_page_entries.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <utility>

#include "tools/make_defines/support_markup.h"
#include "tools/make_defines/support_page_blocks.h"

namespace quillon::make_defines {
namespace {

enum class Role { None, Codes, Name, Text, Cause, Remedy, Phase, Operation };
constexpr std::size_t kRoleCount = 8;

std::optional<Role> HeaderRole(std::string_view plain, bool hasCodes) {
  const std::string word = LowerCase(plain);
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
    const std::string word = LowerCase(PlainText(cell));
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
  if (values.empty() || FindCodes(title.substr(0, title.find(' '))).empty())
    return std::nullopt;
  bool codesOnly = true;
  std::size_t at = 0;
  while (at < title.size()) {
    const std::size_t end = std::min(title.find(' ', at), title.size());
    const std::string word = title.substr(at, end - at);
    if (!word.empty() && FindCodes(word).empty() && LowerCase(word) != "or" &&
        LowerCase(word) != "and" && word != "," && word != "/")
      codesOnly = false;
    at = end + 1;
  }
  if (codesOnly)
    return HeadingCodes{values, {}};
  return HeadingCodes{{values.front()}, title.substr(title.find(' ') + 1)};
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
    std::array<std::string, kRoleCount> cells;  // a role's cells, should two columns have it
    for (std::size_t i = 0; i < row.size() && i < roles.size(); ++i)
      cells[static_cast<std::size_t>(roles[i])] += row[i];
    const auto cell = [&](Role role) -> const std::string& {
      return cells[static_cast<std::size_t>(role)];
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
