#include "tools/make_defines/documentation_merge.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <map>
#include <set>
#include <tuple>
#include <utility>

#include "base/code_bits.h"
#include "base/define_schema.h"

namespace quillon::make_defines {
namespace {

using Key = std::tuple<ErrorType, std::int32_t, std::string>;  // kind, code, language
using Target = std::pair<ErrorType, std::int32_t>;

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

// A text without the stray quotation mark a translation left at one of its ends
// ("Zugriff verweigert.“"): one is stray when the text's marks do not pair up.
std::string WithoutStrayQuote(std::string text) {
  static constexpr std::string_view kMarks[] = {"\"",     "\u201C", "\u201D",
                                                "\u201E", "\u00AB", "\u00BB"};
  std::size_t count = 0;
  for (const std::string_view mark : kMarks) {
    for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + 1))
      ++count;
  }
  if (count % 2 == 0)
    return text;
  for (const std::string_view mark : kMarks) {
    if (text.ends_with(mark))
      return text.substr(0, text.size() - mark.size());
    if (text.ends_with(std::string(mark) + "."))
      return text.substr(0, text.size() - mark.size() - 1) + ".";
    if (text.starts_with(mark))
      return text.substr(mark.size());
  }
  return text;
}

// The pages whose texts are the platform's own wording of its codes.
bool IsPrincipalPage(const std::string& path) {
  return path.find("/Debug/system-error-codes") != std::string::npos ||
         path.find("/com/com-error-codes") != std::string::npos;
}

struct Merger {
  // Every name the catalog or an earlier page gives a code, upper case, with its codes.
  std::map<std::string, std::vector<Target>> known;
  std::map<Key, DescriptionRow> descriptions;
  std::map<Key, std::vector<RemedyRow>> remedies;
  std::vector<std::string> families;  // in the order their first name was added
  Catalog added;
  Documentation documentation;

  // The codes a page's row stands for, adding its name where nothing knows it.
  std::vector<Target> Targets(const DocumentedCode& code, const DocumentPage& page,
                              PageCounts& counts) {
    std::optional<ErrorType> ownKind = code.kind;
    if (!ownKind && code.value && *code.value > kLargestWin32Code)
      ownKind = ErrorType::Hresult;
    if (code.name.empty()) {
      if (code.value && ownKind)
        return {{*ownKind, static_cast<std::int32_t>(*code.value)}};
      if (code.value)
        ++counts.valuesOfNoKind;
      return {};
    }
    // The codes of this name, of the page's kind where the page says (a bug check may share
    // its name with a status).
    std::vector<Target> codes;
    if (const auto found = known.find(Upper(code.name)); found != known.end()) {
      std::copy_if(
          found->second.begin(), found->second.end(), std::back_inserter(codes),
          [&code](const Target& target) { return !code.kind || *code.kind == target.first; });
    }
    if (codes.empty()) {
      if (!code.value) {
        if (page.language == "en-US")
          documentation.unjoinedNames.push_back(code.name + " (" + page.path + ")");
        return {};
      }
      if (!ownKind) {
        ++counts.valuesOfNoKind;
        return {};
      }
      const Target target{*ownKind, static_cast<std::int32_t>(*code.value)};
      AddName(code.name, target, page);
      return {target};
    }
    if (!code.value)
      return codes;
    const auto value = static_cast<std::int32_t>(*code.value);
    std::vector<Target> same;
    std::copy_if(codes.begin(), codes.end(), std::back_inserter(same),
                 [value](const Target& target) { return target.second == value; });
    if (!same.empty())
      return same;
    // "ERROR_ACCESS_DENIED 0x80070005": the HRESULT form of the Win32 code, the page's value.
    if (ownKind == ErrorType::Hresult && (*code.value & 0xFFFF0000u) == 0x80070000u &&
        std::any_of(codes.begin(), codes.end(), [&code](const Target& target) {
          return target.first == ErrorType::Win32 &&
                 static_cast<std::uint32_t>(target.second) == (*code.value & 0xFFFFu);
        }))
      return {{ErrorType::Hresult, value}};
    if (page.language != "en-US")
      return codes;  // the English page has said it
    std::string line = code.name + ": " + Hex(*code.value) + " in " + page.path + ", but";
    for (const Target& target : codes) {
      line += " " + std::string(ErrorTypeName(target.first)) + " " +
              Hex(static_cast<std::uint32_t>(target.second));
    }
    documentation.nameDisagreements.push_back(line);
    return codes;
  }

  void AddName(const std::string& name, const Target& target, const DocumentPage& page) {
    known[Upper(name)].push_back(target);
    const auto family = std::find(families.begin(), families.end(), page.family);
    const auto authority = static_cast<std::size_t>(family - families.begin());
    if (family == families.end())
      families.push_back(page.family);
    added.rows.push_back({target.first, target.second, name, NameRank::Own,
                          DocumentationHeader(page.family), authority});
  }

  void KeepText(const Target& target, const std::string& text, const DocumentPage& page,
                PageCounts& counts) {
    const Key key{target.first, target.second, page.language};
    const auto [kept, inserted] = descriptions.try_emplace(
        key, DescriptionRow{target.first, target.second, page.language, text, page.path});
    if (inserted) {
      ++counts.textsKept;
    } else if (page.language == "en-US" && kept->second.text != text &&
               kept->second.page != page.path) {
      documentation.textDisagreements.push_back(
          std::string(ErrorTypeName(target.first)) + " " +
          Hex(static_cast<std::uint32_t>(target.second)) + ": " + kept->second.page + " \"" +
          kept->second.text + "\" / " + page.path + " \"" + text + "\"");
    }
  }

  void KeepRemedies(const Target& target, const DocumentedCode& code, const DocumentPage& page) {
    const Key key{target.first, target.second, page.language};
    if (code.remedies.empty() || remedies.contains(key))
      return;
    std::vector<RemedyRow>& rows = remedies[key];
    for (const std::string& remedy : code.remedies) {
      rows.push_back({target.first, target.second, page.language, static_cast<int>(rows.size()) + 1,
                      remedy, page.path});
    }
  }

  void Page(const DocumentedPage& documented) {
    PageCounts counts{documented.page.path, documented.page.language, documented.rowsRead};
    const std::size_t addedBefore = added.rows.size();
    for (const DocumentedCode& code : documented.codes) {
      counts.withValue += code.value ? 1 : 0;
      counts.withName += code.name.empty() ? 0 : 1;
      counts.withText += code.text.empty() ? 0 : 1;
      for (const Target& target : Targets(code, documented.page, counts)) {
        if (!code.text.empty())
          KeepText(target, WithoutStrayQuote(code.text), documented.page, counts);
        KeepRemedies(target, code, documented.page);
      }
    }
    counts.namesAdded = added.rows.size() - addedBefore;
    documentation.valuesOfNoKind += counts.valuesOfNoKind;
    documentation.pages.push_back(std::move(counts));
  }

  void BugCheck(const DocumentedBugCheck& bugCheck) {
    DocumentedCode code;
    code.value = bugCheck.code;
    code.kind = ErrorType::Stop;
    code.name = bugCheck.name;
    code.text = bugCheck.description;
    Page({bugCheck.page, {code}, 1});
    const auto stop = static_cast<std::int32_t>(bugCheck.code);
    const std::string& language = bugCheck.page.language;
    const bool first =
        std::none_of(documentation.parameters.begin(), documentation.parameters.end(),
                     [&](const BugCheckParameterRow& row) {
                       return row.code == stop && row.language == language;
                     }) &&
        std::none_of(documentation.cases.begin(), documentation.cases.end(),
                     [&](const BugCheckCaseRow& row) {
                       return row.code == stop && row.language == language;
                     });
    if (!first)
      return;
    std::set<int> numbers;
    for (const BugCheckParameter& parameter : bugCheck.parameters) {
      if (!numbers.insert(parameter.number).second)
        continue;  // a page's second table of them repeats the first
      documentation.parameters.push_back(
          {stop, language, parameter.number, parameter.meaning, bugCheck.page.path});
    }
    for (const BugCheckCase& entry : bugCheck.cases) {
      BugCheckCaseRow row{stop,
                          language,
                          static_cast<int>(documentation.cases.size()),
                          entry.parameter,
                          entry.value,
                          entry.valueText,
                          entry.cause,
                          {},
                          bugCheck.page.path};
      for (const BugCheckParameter& parameter : entry.parameters)
        row.meanings[static_cast<std::size_t>(parameter.number - 1)] = parameter.meaning;
      documentation.cases.push_back(std::move(row));
    }
  }
};

}  // namespace

std::string DocumentationHeader(const std::string& family) {
  return std::string(kDocumentationHeaderPrefix) + family;
}

Documentation MergeDocumentation(Catalog& catalog, const std::vector<DocumentedPage>& pages,
                                 const std::vector<DocumentedBugCheck>& bugChecks) {
  Merger merger;
  for (const CatalogRow& row : catalog.rows)
    merger.known[Upper(row.name)].push_back({row.table, row.code});
  // The principal pages, then the longer pages first: a family's own reference before a page
  // that quotes a few of its codes, so that the family names the codes it adds.
  std::vector<const DocumentedPage*> ordered;
  for (const DocumentedPage& page : pages) ordered.push_back(&page);
  std::stable_sort(ordered.begin(), ordered.end(),
                   [](const DocumentedPage* a, const DocumentedPage* b) {
                     const bool aPrincipal = IsPrincipalPage(a->page.path);
                     const bool bPrincipal = IsPrincipalPage(b->page.path);
                     if (aPrincipal != bPrincipal)
                       return aPrincipal;
                     return a->codes.size() > b->codes.size();
                   });
  for (const DocumentedPage* page : ordered) merger.Page(*page);
  for (const DocumentedBugCheck& bugCheck : bugChecks) merger.BugCheck(bugCheck);

  // Case numbers count within each bug check and language.
  std::map<std::pair<std::int32_t, std::string>, int> seq;
  for (BugCheckCaseRow& row : merger.documentation.cases) row.seq = ++seq[{row.code, row.language}];
  std::stable_sort(merger.documentation.parameters.begin(), merger.documentation.parameters.end(),
                   [](const BugCheckParameterRow& a, const BugCheckParameterRow& b) {
                     return std::tie(a.code, a.language) < std::tie(b.code, b.language);
                   });
  std::stable_sort(merger.documentation.cases.begin(), merger.documentation.cases.end(),
                   [](const BugCheckCaseRow& a, const BugCheckCaseRow& b) {
                     return std::tie(a.code, a.language) < std::tie(b.code, b.language);
                   });

  catalog = MergeCatalogs(std::move(catalog), merger.added);
  Documentation documentation = std::move(merger.documentation);
  for (auto& [key, row] : merger.descriptions) documentation.descriptions.push_back(std::move(row));
  for (auto& [key, rows] : merger.remedies) {
    documentation.remedies.insert(documentation.remedies.end(), rows.begin(), rows.end());
  }
  return documentation;
}

std::string DocumentationReport(const Documentation& documentation,
                                const std::vector<std::string>& leftOut) {
  std::string text;
  const auto line = [&text](const char* format, auto... args) {
    char buffer[1024];
    std::snprintf(buffer, sizeof buffer, format, args...);
    text += buffer;
    text += '\n';
  };
  line("Documentation pages read: %zu", documentation.pages.size());
  line("%6s %6s %6s %6s %6s %6s %6s  %-6s %s", "rows", "value", "name", "text", "added", "kept",
       "nokind", "lang", "page");
  for (const PageCounts& page : documentation.pages) {
    line("%6zu %6zu %6zu %6zu %6zu %6zu %6zu  %-6s %s", page.rowsRead, page.withValue,
         page.withName, page.withText, page.namesAdded, page.textsKept, page.valuesOfNoKind,
         page.language.c_str(), page.page.c_str());
  }

  std::map<std::string, std::array<std::size_t, 4>> perLanguage;
  std::array<std::set<std::int32_t>, 4> distinct;
  for (const DescriptionRow& row : documentation.descriptions) {
    ++perLanguage[row.language][static_cast<std::size_t>(row.kind)];
    distinct[static_cast<std::size_t>(row.kind)].insert(row.code);
  }
  line("Descriptions per language:  Win32 HRESULT NTSTATUS   STOP");
  for (const auto& [language, counts] : perLanguage) {
    line("  %-24s %7zu %7zu %8zu %6zu", language.c_str(), counts[0], counts[1], counts[2],
         counts[3]);
  }
  line("  %-24s %7zu %7zu %8zu %6zu", "distinct values", distinct[0].size(), distinct[1].size(),
       distinct[2].size(), distinct[3].size());
  std::set<std::pair<std::int32_t, std::string>> withParameters;
  std::set<std::pair<std::int32_t, std::string>> withCases;
  for (const BugCheckParameterRow& row : documentation.parameters)
    withParameters.insert({row.code, row.language});
  for (const BugCheckCaseRow& row : documentation.cases) withCases.insert({row.code, row.language});
  line("Bug checks (per language) with parameters: %zu (%zu rows); with cases: %zu (%zu rows)",
       withParameters.size(), documentation.parameters.size(), withCases.size(),
       documentation.cases.size());
  line("Remedies: %zu", documentation.remedies.size());
  line("Small values on pages of no Win32 codes, left out: %zu", documentation.valuesOfNoKind);
  line("Pages left out (numbers of other schemes): %zu", leftOut.size());
  for (const std::string& page : leftOut) line("  %s", page.c_str());
  line("Names a page gives another value than the headers (the headers win): %zu",
       documentation.nameDisagreements.size());
  for (const std::string& entry : documentation.nameDisagreements) line("  %s", entry.c_str());
  line("Names without a value that no header knows: %zu", documentation.unjoinedNames.size());
  for (const std::string& entry : documentation.unjoinedNames) line("  %s", entry.c_str());
  line("English texts that pages word differently (the first is kept): %zu",
       documentation.textDisagreements.size());
  for (const std::string& entry : documentation.textDisagreements) {
    text += "  " + entry + "\n";  // may be longer than any buffer
  }
  return text;
}

}  // namespace quillon::make_defines
