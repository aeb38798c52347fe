// Merges what the documentation pages say into the catalog of the headers: the names the
// headers lack become rows, and the texts, remedies and bug-check parameters become rows of
// their own tables.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/error_type.h"
#include "tools/make_defines/bug_check_page.h"
#include "tools/make_defines/define_catalog.h"
#include "tools/make_defines/documented_code.h"

namespace quillon::make_defines {

// The Header of a row that only the documentation names: "documentation: wmi".
std::string DocumentationHeader(const std::string& family);

// The text shown for one code in one language: one row per (kind, code, language).
struct DescriptionRow {
  ErrorType kind = ErrorType::Win32;
  std::int32_t code = 0;
  std::string language;
  std::string text;
  std::string page;
};

struct RemedyRow {
  ErrorType kind = ErrorType::Win32;
  std::int32_t code = 0;
  std::string language;
  int seq = 0;  // the order the page gives them, from 1
  std::string text;
  std::string page;
};

struct BugCheckParameterRow {
  std::int32_t code = 0;
  std::string language;
  int number = 0;
  std::string meaning;
  std::string page;
};

struct BugCheckCaseRow {
  std::int32_t code = 0;
  std::string language;
  int seq = 0;        // the page's order, from 1
  int parameter = 1;  // the parameter whose value selects the case
  std::optional<std::uint32_t> value;
  std::string valueText;
  std::string cause;
  std::array<std::string, 4> meanings;  // of parameters 1-4 in this case; empty: as in general
  std::string page;
};

// What the report says of one page.
struct PageCounts {
  std::string page;
  std::string language;
  std::size_t rowsRead = 0;
  std::size_t withValue = 0;
  std::size_t withName = 0;
  std::size_t withText = 0;
  std::size_t namesAdded = 0;
  std::size_t textsKept = 0;       // descriptions of this page that won
  std::size_t valuesOfNoKind = 0;  // small values of a page of no Win32 codes, left out
};

struct Documentation {
  std::vector<DescriptionRow> descriptions;  // by kind, code, language
  std::vector<RemedyRow> remedies;
  std::vector<BugCheckParameterRow> parameters;
  std::vector<BugCheckCaseRow> cases;
  std::vector<PageCounts> pages;
  // One line each, of the English pages (a translation repeats them): a name a page gives
  // another value than the headers (the headers win), a name no header knows and the page
  // gives no value for, two pages' different texts of one code (the first one is kept).
  std::vector<std::string> nameDisagreements;
  std::vector<std::string> unjoinedNames;
  std::vector<std::string> textDisagreements;
  std::size_t valuesOfNoKind = 0;  // small values on pages of no Win32 codes, left out
};

// Whose text wins for one (kind, code, language): the system error code and COM pages before
// any other, then the pages with more codes before those with fewer, else in the order given
// (the same order decides the family of a name two pages add). A name no header knows becomes a row
// of its kind's table (Header DocumentationHeader(family)); a name with its value the headers know
// takes their kind; a name without a value is joined to the headers' rows of that name.
// A value over 0xFFFF whose name does not say is an HRESULT; a smaller one is a Win32 code
// only where the page reader gave it that kind.
Documentation MergeDocumentation(Catalog& catalog, const std::vector<DocumentedPage>& pages,
                                 const std::vector<DocumentedBugCheck>& bugChecks);

// The report: per page the rows read, with a value, a name, a text, the names added and the
// texts kept; descriptions per language and kind; then the lists of Documentation.
std::string DocumentationReport(const Documentation& documentation,
                                const std::vector<std::string>& leftOut);

}  // namespace quillon::make_defines
