#include "lookup/search.h"

#include "lookup/probe_kind.h"
#include "query/classify_query.h"

namespace quillon {

namespace {

std::optional<ErrorType> FirstMatch(const SearchResult& result) {
  for (const ErrorType type : kErrorTypes) {
    if (result.matches[static_cast<std::size_t>(type)]) {
      return type;
    }
  }
  return std::nullopt;
}

// Probes one kind; false when the value cannot be of that kind (only Win32 says so).
bool Probe(ErrorType type, std::uint32_t value, MessageSource& messages,
           const DefineSource& defines, SearchResult& result) {
  const ProbeOutcome outcome = ProbeKind(type, value, messages, defines);
  if (outcome.found) {
    result.matches[static_cast<std::size_t>(type)] = *outcome.found;
  }
  return outcome.applicable;
}

void SearchNumber(std::uint32_t value, MessageSource& messages, const DefineSource& defines,
                  SearchResult& result) {
  result.mode = QueryMode::Number;
  // A value that can be a Win32 code is never an HRESULT of its own.
  if (!Probe(ErrorType::Win32, value, messages, defines, result)) {
    Probe(ErrorType::Hresult, value, messages, defines, result);
  }
  Probe(ErrorType::NtStatus, value, messages, defines, result);
  Probe(ErrorType::Stop, value, messages, defines, result);
  result.verdict = FirstMatch(result) ? SearchVerdict::Found : SearchVerdict::NumberNotFound;
  // Found or not, the outcome is shown in the expanded window.
  result.expandsWindow = true;
}

void SearchName(std::string_view name, const DefineSource& defines, SearchResult& result) {
  result.mode = QueryMode::Define;
  for (const DefineMatch& match : SearchDefine(defines, name)) {
    result.matches[static_cast<std::size_t>(match.type)] = static_cast<std::uint32_t>(match.code);
  }
  const bool found = FirstMatch(result).has_value();
  result.verdict = found ? SearchVerdict::Found : SearchVerdict::DefineNotFound;
  result.expandsWindow = found;
}

}  // namespace

SearchResult Search(std::string_view queryText, MessageSource& messages,
                    const DefineSource& defines) {
  SearchResult result;
  const QueryVerdict verdict = ClassifyQuery(queryText);
  switch (verdict.kind) {
    case QueryVerdict::Kind::Rejection:
      // The text had the shape of a define, so the mode says so even though it failed.
      if (verdict.defineMode) {
        result.mode = QueryMode::Define;
      }
      result.description = std::string(verdict.message);
      return result;
    case QueryVerdict::Kind::DefineName:
      SearchName(verdict.defineName, defines, result);
      break;
    case QueryVerdict::Kind::Number:
      SearchNumber(verdict.number, messages, defines, result);
      break;
  }
  result.selected = FirstMatch(result);
  if (result.verdict == SearchVerdict::NumberNotFound) {
    result.description = std::string(kNumberNotFoundText);
  } else if (result.verdict == SearchVerdict::DefineNotFound) {
    result.description = std::string(kDefineNotFoundText);
  }
  return result;
}

std::string_view DefineBoxCaption(QueryMode mode) {
  return mode == QueryMode::Define ? "Error Code" : "#Define";
}

}  // namespace quillon
