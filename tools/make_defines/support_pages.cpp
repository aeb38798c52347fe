#include "tools/make_defines/support_pages.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <utility>

#include "tools/make_defines/support_markup.h"
#include "tools/make_defines/support_page_entries.h"

namespace quillon::make_defines {
namespace {

constexpr std::string_view kCausePrefix = "Cause: ";

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

DocumentedCode& CodeOf(std::vector<DocumentedCode>& codes, std::uint32_t value) {
  const auto found = std::find_if(codes.begin(), codes.end(),
                                  [&](const DocumentedCode& code) { return code.value == value; });
  if (found != codes.end())
    return *found;
  codes.push_back({value, ErrorType::Hresult, {}, {}, {}});
  return codes.back();
}

void AddRemedy(DocumentedCode& code, std::string line) {
  if (!line.empty() &&
      std::find(code.remedies.begin(), code.remedies.end(), line) == code.remedies.end())
    code.remedies.push_back(std::move(line));
}

void Merge(const PageEntry& entry, std::uint32_t value, DocumentedCode& code, bool sharedText,
           std::vector<std::string>& unused) {
  bool ownName = !entry.name.empty() && entry.values.size() == 1;
  // A Win32 code's HRESULT form named by the Win32 code (0x80070002 ERROR_FILE_NOT_FOUND):
  // the headers name the Win32 code, and the name is not the HRESULT's own.
  if (ownName && (value & 0xFFFF0000u) == 0x80070000u && entry.name.starts_with("ERROR_")) {
    unused.push_back("the Win32 code's name for " + Hex(value) + ": " + entry.name);
    ownName = false;
  }
  if (ownName && code.name.empty())
    code.name = entry.name;
  else if (ownName && code.name != entry.name)
    unused.push_back("a second name for " + Hex(value) + ": " + entry.name);
  // A code's own row says more than a heading shared with others ("The operation timed out").
  if (code.text.empty() || (sharedText && !entry.sharedHeading && !entry.text.empty()))
    code.text = entry.text;
  // A cause only says why; it goes first so that what to do follows it.
  if (!entry.cause.empty()) {
    std::string cause = std::string(kCausePrefix) + entry.cause;
    if (std::find(code.remedies.begin(), code.remedies.end(), cause) == code.remedies.end())
      code.remedies.insert(
          std::find_if(code.remedies.begin(), code.remedies.end(),
                       [](const std::string& line) { return !line.starts_with(kCausePrefix); }),
          std::move(cause));
  }
  for (const std::string& remedy : entry.remedies) AddRemedy(code, remedy);
}

std::vector<std::string> Fields(std::string_view line) {
  std::vector<std::string> fields;
  std::size_t at = 0;
  while (true) {
    const std::size_t tab = line.find('\t', at);
    fields.emplace_back(line.substr(at, tab - at));
    if (tab == std::string_view::npos)
      return fields;
    at = tab + 1;
  }
}

}  // namespace

std::vector<SupportSource> ListSupportPages(std::string_view sourcesTsv, std::string& error) {
  std::vector<SupportSource> sources;
  const std::vector<std::string> lines = PageLines(sourcesTsv);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    if (lines[i].empty())
      continue;
    const std::vector<std::string> fields = Fields(lines[i]);
    if (fields.size() < 3 || fields[0].empty() || fields[1].empty() ||
        fields[1].find("..") != std::string::npos) {
      error = "SOURCES.tsv line " + std::to_string(i + 1) + ": not repository, path, revision";
      return {};
    }
    sources.push_back({fields[0], fields[1], fields[2]});
  }
  std::stable_partition(sources.begin(), sources.end(), [](const SupportSource& source) {
    return source.repository == "SupportArticles-docs";
  });
  return sources;
}

std::string SupportFamily(std::string_view path) {
  if (path.find("activation") != std::string_view::npos)
    return "activation";
  if (path.find("upgrade") != std::string_view::npos)
    return "setup";
  if (path.find("fix-windows-update-errors") != std::string_view::npos ||
      path.find("dism") != std::string_view::npos || path.find("0x800f0") != std::string_view::npos)
    return "servicing";
  return "windows update";
}

std::string ReadSupportFile(const std::filesystem::path& root, const SupportSource& source,
                            std::string& error) {
  const std::filesystem::path file = root / source.repository / source.path;
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  if (!in || text.str().empty())
    error = "cannot read the page " + file.string();
  return text.str();
}

DocumentedPage ReadSupportPage(const DocumentPage& page, std::string_view text,
                               std::vector<std::string>& unused) {
  const PageEntries entries = ReadPageEntries(text);
  DocumentedPage documented{page, {}, entries.rowsRead};
  std::vector<std::string> notes = entries.unused;
  std::set<std::uint32_t> sharedText;  // codes whose text is so far a shared heading's
  for (const PageEntry& entry : entries.entries) {
    for (const std::uint32_t value : entry.values) {
      Merge(entry, value, CodeOf(documented.codes, value), sharedText.contains(value), notes);
      if (!entry.text.empty()) {
        if (entry.sharedHeading && !sharedText.contains(value))
          sharedText.insert(value);
        else if (!entry.sharedHeading)
          sharedText.erase(value);
      }
    }
  }
  // A page of another program's own numbers would fill the report row by row: one line says it.
  constexpr std::string_view kNoCode = "a row that names no code: ";
  const auto noCode = std::count_if(notes.begin(), notes.end(), [&](const std::string& note) {
    return note.starts_with(kNoCode);
  });
  if (noCode > 3) {
    const auto first = std::find_if(notes.begin(), notes.end(), [&](const std::string& note) {
      return note.starts_with(kNoCode);
    });
    *first = std::to_string(noCode) +
             " rows that name no code, the first: " + first->substr(kNoCode.size());
    notes.erase(std::remove_if(first + 1, notes.end(),
                               [&](const std::string& note) { return note.starts_with(kNoCode); }),
                notes.end());
  }
  for (std::string& note : notes) unused.push_back(page.path + ": " + std::move(note));
  return documented;
}

SupportReading ReadSupportPages(const std::filesystem::path& root) {
  SupportReading reading;
  std::string error;
  const std::vector<SupportSource> sources =
      ListSupportPages(ReadSupportFile(root, {"", "SOURCES.tsv", ""}, error), error);
  if (error.empty() && sources.empty())
    error = "no pages listed in " + (root / "SOURCES.tsv").string();
  for (const SupportSource& source : sources) {
    if (!error.empty())
      break;
    const std::string text = ReadSupportFile(root, source, error);
    if (!error.empty())
      break;
    DocumentedPage page =
        ReadSupportPage({source.path, "en-US", SupportFamily(source.path)}, text, reading.unused);
    if (page.rowsRead == 0)
      error = "nothing read from the page " + source.repository + "/" + source.path;
    reading.pages.push_back(std::move(page));
  }
  if (!error.empty())
    return {error, {}, {}, {}};
  // Two pages that name one code differently are listed; the first page's stays.
  std::map<std::uint32_t, std::pair<const DocumentedCode*, const DocumentPage*>> first;
  for (const DocumentedPage& page : reading.pages) {
    for (const DocumentedCode& code : page.codes) {
      const auto [found, added] = first.try_emplace(*code.value, &code, &page.page);
      if (added)
        continue;
      const DocumentedCode& earlier = *found->second.first;
      if (!code.name.empty() && !earlier.name.empty() && code.name != earlier.name)
        reading.disagreements.push_back(Hex(*code.value) + " named " + earlier.name + " (" +
                                        found->second.second->path + "), " + code.name + " (" +
                                        page.page.path + ")");
    }
  }
  return reading;
}

std::string SupportTotalsText(const SupportReading& reading) {
  std::map<std::uint32_t, int> distinct;  // 1: a text, 2: a remedy
  for (const DocumentedPage& page : reading.pages) {
    for (const DocumentedCode& code : page.codes)
      distinct[*code.value] |= (code.text.empty() ? 0 : 1) | (code.remedies.empty() ? 0 : 2);
  }
  const auto with = [&](int bit) {
    return std::count_if(distinct.begin(), distinct.end(),
                         [&](const auto& entry) { return (entry.second & bit) != 0; });
  };
  return "support pages: " + std::to_string(reading.pages.size()) + " read, " +
         std::to_string(distinct.size()) + " codes, " + std::to_string(with(1)) + " with a text, " +
         std::to_string(with(2)) + " with a remedy; " +
         std::to_string(reading.disagreements.size()) + " disagreements, " +
         std::to_string(reading.unused.size()) + " things not used\n";
}

std::string SupportReportText(const SupportReading& reading) {
  std::ostringstream out;
  std::size_t totals[5] = {};
  out << "support pages: rows, codes, with a name, a text, a remedy\n";
  for (const DocumentedPage& page : reading.pages) {
    std::size_t counts[5] = {page.rowsRead, page.codes.size(), 0, 0, 0};
    for (const DocumentedCode& code : page.codes) {
      counts[2] += code.name.empty() ? 0 : 1;
      counts[3] += code.text.empty() ? 0 : 1;
      counts[4] += code.remedies.empty() ? 0 : 1;
    }
    out << "  " << page.page.path << ":";
    for (std::size_t i = 0; i < 5; ++i) {
      out << ' ' << counts[i];
      totals[i] += counts[i];
    }
    out << '\n';
  }
  out << "  total:";
  for (const std::size_t total : totals) out << ' ' << total;
  out << '\n';
  out << "support pages disagree (" << reading.disagreements.size() << "):\n";
  for (const std::string& line : reading.disagreements) out << "  " << line << '\n';
  out << "support pages said, not used (" << reading.unused.size() << "):\n";
  for (const std::string& line : reading.unused) out << "  " << line << '\n';
  return out.str();
}

}  // namespace quillon::make_defines
