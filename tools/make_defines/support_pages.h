// The published Windows Update, servicing, setup and activation pages (support-en-us): their
// codes, names, texts and remedies as documented codes.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "tools/make_defines/documented_code.h"

namespace quillon::make_defines {

// A page as SOURCES.tsv lists it: the repository, the path inside it, its revision.
struct SupportSource {
  std::string repository;
  std::string path;
  std::string revision;
};

// The pages of an unpacked archive, in the order read: the support articles (the maintained
// copies) before the IT pro pages they were made from. Error names a malformed list.
std::vector<SupportSource> ListSupportPages(std::string_view sourcesTsv, std::string& error);

// "windows update", "servicing", "setup" or "activation": the Header of the rows a page adds.
std::string SupportFamily(std::string_view path);

// Reads `root/<repository>/<path>` for each page.
std::string ReadSupportFile(const std::filesystem::path& root, const SupportSource& source,
                            std::string& error);

struct SupportReading {
  std::string error;  // a page that could not be read, named; then nothing else is set
  std::vector<DocumentedPage> pages;
  std::vector<std::string> unused;         // "page: what", one a line
  std::vector<std::string> disagreements;  // names and texts that two pages give differently
};

// Every page of the unpacked archive at root (SOURCES.tsv and the repositories' folders).
// Each code is an HRESULT (the pages' codes are the results that Windows Update, setup,
// servicing and activation report); a cause the page gives is the first remedy line,
// "Cause: ...", so that it is read before what to do and never as the system's text.
SupportReading ReadSupportPages(const std::filesystem::path& root);

// One page from its text; what could not be used is added to unused.
DocumentedPage ReadSupportPage(const DocumentPage& page, std::string_view text,
                               std::vector<std::string>& unused);

// The pages read, their codes, and those with a text and with a remedy, on one line.
std::string SupportTotalsText(const SupportReading& reading);

// Per page: rows read, codes, with a name, with a text, with a remedy; then the totals, the
// disagreements and what was not used.
std::string SupportReportText(const SupportReading& reading);

}  // namespace quillon::make_defines
