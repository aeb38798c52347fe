// Finds and reads the documentation pages the build unpacked: the error-code pages of the Win32
// documentation in each language, and the bug-check pages.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/make_defines/bug_check_page.h"
#include "tools/make_defines/documented_code.h"

namespace quillon::make_defines {

struct DocumentationSources {
  std::string error;  // empty on success; else names each page that could not be read, a line each
  std::vector<DocumentedPage> pages;
  std::vector<DocumentedBugCheck> bugChecks;
  std::vector<std::string> leftOut;  // pages of other numbering schemes, English only
  std::vector<std::filesystem::path> filesRead;
};

// root holds one folder per archive ("win32-en-us", "bugcheck-ja-jp"): the language is the
// folder's suffix. Pages are read in the order of their paths, English first, so the same
// folders always give the same result.
DocumentationSources ReadDocumentation(const std::filesystem::path& root);

// What the generator knows of an error-code page from its path inside the published
// repository: whether its numbers are codes of the four kinds, whether its small values are
// Win32 codes, and the family its names belong to ("wmi", "bits", ...).
struct CodePageRule {
  bool codes = true;
  bool smallValuesAreWin32 = false;
  std::string family;
};
CodePageRule RuleOfCodePage(const std::string& path);

// "de-de" -> "de-DE".
std::string LanguageTag(const std::string& suffix);

}  // namespace quillon::make_defines
