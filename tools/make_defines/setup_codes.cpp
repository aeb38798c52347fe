#include "tools/make_defines/setup_codes.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "tools/make_defines/support_page_entries.h"
#include "tools/make_defines/support_pages.h"

namespace quillon::make_defines {
namespace {

std::string Hex(std::uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, value);
  return text;
}

void AddName(std::vector<SetupName>& names, const SetupTableRow& row, const std::string& page,
             std::vector<std::string>& disagreements) {
  const auto found = std::find_if(names.begin(), names.end(),
                                  [&](const SetupName& name) { return name.number == row.number; });
  if (found == names.end()) {
    names.push_back({row.number, row.name, page});
  } else if (found->name != row.name) {
    disagreements.push_back((row.phase ? "phase " : "operation ") + Hex(row.number, 2) + " named " +
                            found->name + " (" + found->page + "), " + row.name + " (" + page +
                            ")");
  }
}

void AddPair(std::vector<DocumentedPair>& pairs, const SetupPair& pair, const PageEntry& entry,
             const std::string& page) {
  auto found = std::find_if(pairs.begin(), pairs.end(), [&](const DocumentedPair& known) {
    return known.result == pair.result && known.extend == pair.extend;
  });
  if (found == pairs.end()) {
    pairs.push_back({pair.result, pair.extend, {}, {}, {}});
    found = pairs.end() - 1;
  }
  if (found->cause.empty() && !entry.cause.empty()) {
    found->cause = entry.cause;
    found->page = page;
  }
  const bool explained =
      std::any_of(found->remedies.begin(), found->remedies.end(),
                  [&](const SetupRemedy& remedy) { return remedy.page != page; });
  if (explained && !entry.wholePage)
    return;  // the same procedure as another copy of the list gives
  for (const std::string& line : entry.remedies) found->remedies.push_back({line, page});
}

}  // namespace

void AddSetupPage(SetupCodes& codes, const std::string& page, std::string_view text) {
  const PageEntries entries = ReadPageEntries(text);
  for (const SetupTableRow& row : entries.setupRows)
    AddName(row.phase ? codes.phases : codes.operations, row, page, codes.disagreements);
  for (const PageEntry& entry : entries.entries) {
    for (const SetupPair& pair : entry.pairs) AddPair(codes.pairs, pair, entry, page);
  }
}

SetupCodes ReadSetupCodes(const std::filesystem::path& root) {
  SetupCodes codes;
  const std::vector<SupportSource> sources =
      ListSupportPages(ReadSupportFile(root, {"", "SOURCES.tsv", ""}, codes.error), codes.error);
  for (const SupportSource& source : sources) {
    if (!codes.error.empty())
      break;
    const std::string text = ReadSupportFile(root, source, codes.error);
    if (codes.error.empty())
      AddSetupPage(codes, source.path, text);
  }
  if (!codes.error.empty())
    return {codes.error, {}, {}, {}, {}};
  const auto byNumber = [](const SetupName& a, const SetupName& b) { return a.number < b.number; };
  std::stable_sort(codes.phases.begin(), codes.phases.end(), byNumber);
  std::stable_sort(codes.operations.begin(), codes.operations.end(), byNumber);
  return codes;
}

std::string SetupReportText(const SetupCodes& codes) {
  std::ostringstream out;
  std::size_t remedies = 0;
  std::size_t withCause = 0;
  for (const DocumentedPair& pair : codes.pairs) {
    remedies += pair.remedies.size();
    withCause += pair.cause.empty() ? 0 : 1;
  }
  out << "setup: " << codes.phases.size() << " phases, " << codes.operations.size()
      << " operations, " << codes.pairs.size() << " result and extend code pairs (" << withCause
      << " with a cause, " << remedies << " remedy lines)\n";
  for (const std::string& line : codes.disagreements) out << "  pages disagree: " << line << '\n';
  return out.str();
}

}  // namespace quillon::make_defines
