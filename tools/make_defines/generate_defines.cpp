#include "tools/make_defines/generate_defines.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <sstream>

#include "base/error_type.h"
#include "tools/make_defines/database_writer.h"
#include "tools/make_defines/define_scanner.h"
#include "tools/make_defines/documentation_sources.h"

namespace quillon::make_defines {
namespace {

std::optional<std::string> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad())
    return std::nullopt;
  return std::move(text).str();
}

std::string EscapeForDepfile(const std::string& path) {
  std::string escaped;
  for (const char c : path) {
    if (c == ' ' || c == '#')
      escaped += '\\';
    if (c == '$')
      escaped += '$';
    escaped += c;
  }
  return escaped;
}

// One line of printf-style text with its newline.
template <typename... Args>
std::string Line(const char* format, Args... args) {
  const int size = std::snprintf(nullptr, 0, format, args...);
  std::string text(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  std::snprintf(text.data(), text.size() + 1, format, args...);
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text + "\n";
}

// The names of a catalog's rows, each once.
std::set<std::string> NamesOf(const Catalog& catalog) {
  std::set<std::string> names;
  for (const DefineRow& row : catalog.rows) names.insert(row.name);
  return names;
}

std::vector<std::string> Missing(const std::set<std::string>& from,
                                 const std::set<std::string>& in) {
  std::vector<std::string> missing;
  std::set_difference(from.begin(), from.end(), in.begin(), in.end(), std::back_inserter(missing));
  return missing;
}

}  // namespace

Generation GenerateDefines(const Sources& sources, const std::filesystem::path& output) {
  Generation generation;
  std::set<std::string> previousNames;
  for (const HeaderSet& set : sources.headerSets) {
    std::vector<ParsedHeader> headers;
    for (const HeaderRule& rule : set.rules) {
      const std::filesystem::path path = set.directory / rule.file;
      const std::optional<std::string> text = ReadFile(path);
      if (!text) {
        generation.error = "cannot read " + path.string();
        return generation;
      }
      generation.headersRead.push_back(path);
      HeaderRule labelled = rule;
      labelled.file = set.label + rule.file;
      headers.push_back({std::move(labelled), ScanDefines(*text)});
    }
    Catalog catalog = BuildCatalog(headers);
    std::set<std::string> names = NamesOf(catalog);
    if (set.olderRelease) {
      generation.addedByNewer = Missing(previousNames, names);
      generation.droppedByNewer = Missing(names, previousNames);
      // What the newer release still names is its to give; the older one's rows of it would
      // repeat the names skipped and redefined.
      catalog.skipped.clear();
      catalog.redefined.clear();
    }
    generation.catalog = MergeCatalogs(std::move(generation.catalog), catalog);
    previousNames = std::move(names);
  }

  if (!sources.bugCheckList.empty()) {
    const std::optional<std::string> text = ReadFile(sources.bugCheckList);
    std::string error = text ? "" : "cannot read";
    const Catalog listed = text ? ReadBugCheckList(*text, error) : Catalog{};
    if (!error.empty()) {
      generation.error = sources.bugCheckList.string() + ": " + error;
      return generation;
    }
    generation.headersRead.push_back(sources.bugCheckList);
    generation.catalog = MergeCatalogs(std::move(generation.catalog), listed);
  }
  if (!sources.statusMap.empty()) {
    const std::optional<std::string> text = ReadFile(sources.statusMap);
    std::string error = text ? "" : "cannot read";
    if (text)
      generation.statusMap = ReadStatusMap(*text, error);
    if (!error.empty()) {
      generation.error = sources.statusMap.string() + ": " + error;
      return generation;
    }
    generation.headersRead.push_back(sources.statusMap);
  }

  if (!sources.supportDocs.empty()) {
    generation.support = ReadSupportPages(sources.supportDocs);
    generation.setup = ReadSetupCodes(sources.supportDocs);
    const std::string& error =
        generation.support.error.empty() ? generation.setup.error : generation.support.error;
    if (!error.empty()) {
      generation.error = error;
      return generation;
    }
    generation.headersRead.push_back(sources.supportDocs / "SOURCES.tsv");
  }

  if (!sources.documentation.empty()) {
    DocumentationSources documentation = ReadDocumentation(sources.documentation);
    if (!documentation.error.empty()) {
      generation.error = documentation.error;
      return generation;
    }
    // Every page's codes in one merge: the Win32 and bug-check pages and the support pages.
    std::vector<DocumentedPage> pages = std::move(documentation.pages);
    pages.insert(pages.end(), generation.support.pages.begin(), generation.support.pages.end());
    generation.documentation =
        MergeDocumentation(generation.catalog, pages, documentation.bugChecks);
    generation.pagesLeftOut = std::move(documentation.leftOut);
  }

  const std::array<std::size_t, 4> counts = CountRows(generation.catalog.rows);
  for (const ErrorType type : kErrorTypes) {
    if (counts[static_cast<std::size_t>(type)] == 0) {
      generation.error = "no " + std::string(ErrorTypeName(type)) + " codes found in the headers";
      return generation;
    }
  }
  generation.error = WriteDefinesDatabase(
      {generation.catalog.rows, generation.catalog.facilities, generation.statusMap,
       sources.supportDocs.empty() ? nullptr : &generation.setup, &generation.documentation},
      output);
  return generation;
}

Generation GenerateDefines(const std::vector<HeaderSet>& sets,
                           const std::filesystem::path& output) {
  return GenerateDefines(Sources{sets, {}, {}, {}, {}}, output);
}

std::array<std::size_t, 4> CountRows(const std::vector<DefineRow>& rows) {
  std::array<std::size_t, 4> counts{};
  for (const DefineRow& row : rows) ++counts[static_cast<std::size_t>(row.table)];
  return counts;
}

std::string SummaryText(const Generation& generation) {
  const Catalog& catalog = generation.catalog;
  std::string text;
  const std::array<std::size_t, 4> counts = CountRows(catalog.rows);
  for (const ErrorType type : kErrorTypes) {
    text += Line("  %-9s %6zu rows", std::string(ErrorTypeName(type)).c_str(),
                 counts[static_cast<std::size_t>(type)]);
  }
  text += Line("  in all    %6zu rows", catalog.rows.size());

  // Per header, in the order of authority first so that ties stay in a fixed order.
  std::map<std::size_t, std::pair<std::string, std::array<std::size_t, 4>>> byHeader;
  for (const DefineRow& row : catalog.rows) {
    auto& [header, perTable] = byHeader[row.authority];
    header = row.header;
    ++perTable[static_cast<std::size_t>(row.table)];
  }
  std::vector<std::pair<std::string, std::array<std::size_t, 4>>> headers;
  for (auto& entry : byHeader) headers.push_back(std::move(entry.second));
  const auto total = [](const std::array<std::size_t, 4>& perTable) {
    return perTable[0] + perTable[1] + perTable[2] + perTable[3];
  };
  std::stable_sort(headers.begin(), headers.end(), [&total](const auto& a, const auto& b) {
    return total(a.second) > total(b.second);
  });
  text += Line("  rows per header (%zu headers):    Win32 HRESULT NTSTATUS   STOP", headers.size());
  for (const auto& [header, perTable] : headers) {
    text += Line("    %-28s %6zu %6zu %7zu %8zu %6zu", header.c_str(), total(perTable), perTable[0],
                 perTable[1], perTable[2], perTable[3]);
  }
  text +=
      Line("  skipped   %6zu names whose value could not be worked out", catalog.skipped.size());
  text += Line("  disagree  %6zu names the header sets give different codes",
               catalog.disagreements.size());
  text += Line("  facility  %6zu facility names", catalog.facilities.size());
  text += Line("  mapped    %6zu NTSTATUS values to a Win32 code", generation.statusMap.size());
  text +=
      Line("  newer     %6zu names the newer SDK headers added", generation.addedByNewer.size());
  text += Line("  dropped   %6zu names the newer SDK headers dropped, kept from the older",
               generation.droppedByNewer.size());
  for (const std::string& name : generation.droppedByNewer) text += Line("    %s", name.c_str());
  if (!generation.support.pages.empty())
    text += SupportTotalsText(generation.support) + SetupReportText(generation.setup);
  return text;
}

std::string DetailsText(const Generation& generation) {
  return generation.support.pages.empty() ? std::string() : SupportReportText(generation.support);
}

std::string DisagreementsText(const std::vector<Disagreement>& disagreements) {
  std::string text;
  for (const Disagreement& d : disagreements) {
    text +=
        Line("%-8s %-44s 0x%08X %-16s 0x%08X %s", std::string(ErrorTypeName(d.first.table)).c_str(),
             d.name.c_str(), static_cast<unsigned>(d.first.code), d.first.header.c_str(),
             static_cast<unsigned>(d.second.code), d.second.header.c_str());
  }
  return text;
}

std::string DepfileText(const std::filesystem::path& output,
                        const std::vector<std::filesystem::path>& inputs) {
  std::string text = EscapeForDepfile(output.string()) + ":";
  for (const std::filesystem::path& input : inputs) {
    text += " \\\n  " + EscapeForDepfile(input.string());
  }
  return text + "\n";
}

}  // namespace quillon::make_defines
