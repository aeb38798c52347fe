// make_defines: generates defines.db3 from the Windows SDK headers of mingw-w64 and Wine.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "tools/make_defines/generate_defines.h"
#include "tools/make_defines/header_rules.h"

namespace {

namespace md = quillon::make_defines;

constexpr char kUsage[] =
    "usage: make_defines <mingw-w64-include-directory> <output.db3>\n"
    "                    [--older-sdk <include-directory>] [--wine <wine-include-directory>]\n"
    "                    [--bug-checks <file>] [--status-map <file>] [--core]\n"
    "                    [--docs <directory>] [--docs-report <file>]\n"
    "                    [--depfile <file>] [--disagreements <file>] [--report <file>]\n"
    "                    [--support-docs <directory>] [--verbose]\n"
    "  --older-sdk      an older release of the SDK headers; names the newer lacks are kept\n"
    "  --wine           also read Wine's headers; names only they have are added\n"
    "  --bug-checks     the published bug checks (code TAB name), merged after the headers\n"
    "  --status-map     the Win32 code of each NTSTATUS value (value TAB code)\n"
    "  --docs           the unpacked documentation archives, merged after everything else\n"
    "  --docs-report    write what was read of each documentation page to <file>\n"
    "  --support-docs   the unpacked support pages: setup's tables, and their codes in the report\n"
    "  --core           read only the nine headers the database was first made from\n"
    "  --disagreements  write the names the two sets give different codes to <file>\n"
    "  --report         write the rows per table and per header to <file>\n";

struct Options {
  std::filesystem::path includeDirectory;
  std::filesystem::path output;
  std::filesystem::path olderSdkDirectory;
  std::filesystem::path wineDirectory;
  std::filesystem::path bugChecks;
  std::filesystem::path statusMap;
  std::filesystem::path depfile;
  std::filesystem::path disagreements;
  std::filesystem::path report;
  std::filesystem::path docs;
  std::filesystem::path docsReport;
  std::filesystem::path supportDocs;
  bool core = false;
  bool verbose = false;
};

bool ParseOptions(const std::vector<std::string_view>& args, Options& options) {
  std::vector<std::string_view> positional;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const bool hasValue = i + 1 < args.size() && !args[i + 1].empty();
    if (args[i] == "--verbose") {
      options.verbose = true;
    } else if (args[i] == "--core") {
      options.core = true;
    } else if (args[i] == "--wine" && hasValue) {
      options.wineDirectory = args[++i];
    } else if (args[i] == "--older-sdk" && hasValue) {
      options.olderSdkDirectory = args[++i];
    } else if (args[i] == "--bug-checks" && hasValue) {
      options.bugChecks = args[++i];
    } else if (args[i] == "--status-map" && hasValue) {
      options.statusMap = args[++i];
    } else if (args[i] == "--docs" && hasValue) {
      options.docs = args[++i];
    } else if (args[i] == "--docs-report" && hasValue) {
      options.docsReport = args[++i];
    } else if (args[i] == "--depfile" && hasValue) {
      options.depfile = args[++i];
    } else if (args[i] == "--disagreements" && hasValue) {
      options.disagreements = args[++i];
    } else if (args[i] == "--support-docs" && hasValue) {
      options.supportDocs = args[++i];
    } else if (args[i] == "--report" && hasValue) {
      options.report = args[++i];
    } else if (args[i].starts_with("--")) {
      return false;
    } else {
      positional.push_back(args[i]);
    }
  }
  if (positional.size() != 2 || positional[0].empty() || positional[1].empty())
    return false;
  options.includeDirectory = positional[0];
  options.output = positional[1];
  return true;
}

md::Sources SourcesOf(const Options& options) {
  const std::vector<md::HeaderRule> sdkRules =
      options.core ? md::CoreSdkHeaderRules() : md::SdkHeaderRules();
  md::Sources sources{{{options.includeDirectory, "", sdkRules}},
                      options.bugChecks,
                      options.statusMap,
                      options.supportDocs,
                      options.docs};
  if (!options.olderSdkDirectory.empty())
    sources.headerSets.push_back({options.olderSdkDirectory, "", sdkRules, true});
  if (!options.wineDirectory.empty())
    sources.headerSets.push_back({options.wineDirectory, "wine/", md::WineHeaderRules()});
  return sources;
}

void PrintDetails(const md::Catalog& catalog) {
  std::printf("  skipped:\n");
  for (const md::SkippedDefine& skipped : catalog.skipped) {
    std::printf("    %s (%s:%d): %s\n", skipped.name.c_str(), skipped.file.c_str(), skipped.line,
                skipped.reason.c_str());
  }
  std::printf("  redefined %zu names with other text, first definition used:\n",
              catalog.redefined.size());
  for (const md::SkippedDefine& redefined : catalog.redefined) {
    std::printf("    %s (%s:%d): %s\n", redefined.name.c_str(), redefined.file.c_str(),
                redefined.line, redefined.reason.c_str());
  }
}

bool WriteText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out.flush()) {
    std::fprintf(stderr, "make_defines: cannot write %s\n", path.string().c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(std::vector<std::string_view>(argv + 1, argv + argc), options)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const md::Generation generation = md::GenerateDefines(SourcesOf(options), options.output);
  if (!generation.error.empty()) {
    std::fprintf(stderr, "make_defines: %s\n", generation.error.c_str());
    return 1;
  }
  const std::string summary = md::SummaryText(generation);
  const std::string disagreements = md::DisagreementsText(generation.catalog.disagreements);
  std::printf("make_defines: wrote %s\n%s", options.output.string().c_str(), summary.c_str());
  if (!disagreements.empty())
    std::printf("  disagreements (the first value is the one found first):\n%s",
                disagreements.c_str());
  if (options.verbose)
    PrintDetails(generation.catalog);
  bool written = true;
  if (!options.disagreements.empty())
    written = WriteText(options.disagreements, disagreements) && written;
  if (!options.report.empty())
    written = WriteText(options.report, summary + md::DetailsText(generation)) && written;
  if (!options.docsReport.empty()) {
    written = WriteText(options.docsReport, md::DocumentationReport(generation.documentation,
                                                                    generation.pagesLeftOut)) &&
              written;
  }
  if (!options.depfile.empty())
    written = WriteText(options.depfile, md::DepfileText(options.output, generation.headersRead)) &&
              written;
  return written ? EXIT_SUCCESS : 1;
}
