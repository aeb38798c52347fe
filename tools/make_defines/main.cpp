// make_defines: generates defines.db3 from the Windows SDK headers of mingw-w64.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "lookup/error_type.h"
#include "tools/make_defines/generate_defines.h"
#include "tools/make_defines/header_rules.h"

namespace {

constexpr char kUsage[] =
    "usage: make_defines <include-directory> <output.db3> [--depfile <file>] [--verbose]\n";

struct Options {
  std::filesystem::path includeDirectory;
  std::filesystem::path output;
  std::filesystem::path depfile;
  bool verbose = false;
};

bool ParseOptions(const std::vector<std::string_view>& args, Options& options) {
  std::vector<std::string_view> positional;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--verbose") {
      options.verbose = true;
    } else if (args[i] == "--depfile" && i + 1 < args.size()) {
      options.depfile = args[++i];
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

void PrintSummary(const quillon::make_defines::Generation& generation, const Options& options) {
  using quillon::make_defines::SkippedDefine;
  const auto counts = quillon::make_defines::CountRows(generation.catalog.rows);
  std::printf("make_defines: wrote %s\n", options.output.string().c_str());
  for (const quillon::ErrorType type : quillon::kErrorTypes) {
    std::printf("  %-9s %5zu rows\n", std::string(quillon::ErrorTypeName(type)).c_str(),
                counts[static_cast<std::size_t>(type)]);
  }
  std::printf("  skipped   %5zu names whose value could not be worked out%s\n",
              generation.catalog.skipped.size(), options.verbose ? ":" : " (--verbose lists them)");
  if (!options.verbose)
    return;
  for (const SkippedDefine& skipped : generation.catalog.skipped) {
    std::printf("    %s (%s:%d): %s\n", skipped.name.c_str(), skipped.file.c_str(), skipped.line,
                skipped.reason.c_str());
  }
  std::printf("  redefined %5zu names with other text, first definition used:\n",
              generation.catalog.redefined.size());
  for (const SkippedDefine& redefined : generation.catalog.redefined) {
    std::printf("    %s (%s:%d): %s\n", redefined.name.c_str(), redefined.file.c_str(),
                redefined.line, redefined.reason.c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(std::vector<std::string_view>(argv + 1, argv + argc), options)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const quillon::make_defines::Generation generation = quillon::make_defines::GenerateDefines(
      options.includeDirectory, quillon::make_defines::SdkHeaderRules(), options.output);
  if (!generation.error.empty()) {
    std::fprintf(stderr, "make_defines: %s\n", generation.error.c_str());
    return 1;
  }
  PrintSummary(generation, options);
  if (!options.depfile.empty()) {
    std::ofstream depfile(options.depfile, std::ios::binary | std::ios::trunc);
    depfile << quillon::make_defines::DepfileText(options.output, generation.headersRead);
    if (!depfile.flush()) {
      std::fprintf(stderr, "make_defines: cannot write %s\n", options.depfile.string().c_str());
      return 1;
    }
  }
  return EXIT_SUCCESS;
}
