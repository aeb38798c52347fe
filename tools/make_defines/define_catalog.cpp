#include "tools/make_defines/define_catalog.h"

#include <algorithm>
#include <array>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <tuple>
#include <utility>

#include "base/code_bits.h"

namespace quillon::make_defines {
namespace {

struct Symbol {
  const MacroDefinition* definition = nullptr;
  std::size_t header = 0;
};

using SymbolTable = std::map<std::string, Symbol, std::less<>>;
using MacroTable = std::map<std::string, const MacroDefinition*, std::less<>>;

// Whether a define's text names a code type or a macro that makes one.
bool MakesTypedCode(const MacroDefinition& macro) {
  return macro.body.find("HRESULT") != std::string::npos ||
         macro.body.find("NTSTATUS") != std::string::npos ||
         macro.body.find("SCODE") != std::string::npos;
}

// The function-like macros by name: the first definition, or the first typed one, since a
// header may define a macro twice, plain for the resource compiler and typed for C
// (#ifdef RC_INVOKED), and the C form is the one meant.
MacroTable CollectMacros(const std::vector<ParsedHeader>& headers) {
  MacroTable macros;
  for (const ParsedHeader& header : headers) {
    for (const MacroDefinition& definition : header.defines) {
      if (!definition.functionLike)
        continue;
      const auto [existing, added] = macros.try_emplace(definition.name, &definition);
      if (!added && !MakesTypedCode(*existing->second) && MakesTypedCode(definition))
        existing->second = &definition;
    }
  }
  return macros;
}

// Works out the value of any defined name once, following references between defines.
class Resolver {
 public:
  Resolver(const SymbolTable& symbols, const MacroTable& macros)
      : symbols_(symbols), macros_(macros) {}

  Evaluation Evaluate(std::string_view name) {
    if (const auto done = memo_.find(name); done != memo_.end())
      return done->second;
    if (inProgress_.count(name) != 0) {
      return Evaluation{std::nullopt, "circular reference through " + std::string(name), {}};
    }
    // A long chain of references in a damaged header must not exhaust the stack.
    constexpr std::size_t kMaxChain = 64;
    if (inProgress_.size() >= kMaxChain) {
      return Evaluation{std::nullopt, "chain of references too long at " + std::string(name), {}};
    }
    Evaluation evaluation;
    const auto symbol = symbols_.find(name);
    if (symbol == symbols_.end()) {
      evaluation.error = "unknown name " + std::string(name);
    } else if (symbol->second.definition->functionLike) {
      evaluation.error = std::string(name) + " is a function-like macro";
    } else {
      const auto marker = inProgress_.emplace(name).first;
      evaluation = EvaluateDefine(
          symbol->second.definition->body,
          [this](std::string_view other) { return Evaluate(other); },
          [this](std::string_view macro) { return FindMacro(macro); });
      inProgress_.erase(marker);
    }
    return memo_.emplace(std::string(name), std::move(evaluation)).first->second;
  }

  const MacroDefinition* FindMacro(std::string_view name) const {
    const auto macro = macros_.find(name);
    return macro != macros_.end() ? macro->second : nullptr;
  }

  // Every name that some evaluated define counted from with + or -.
  std::set<std::string, std::less<>> Bases() const {
    std::set<std::string, std::less<>> bases;
    for (const auto& [name, evaluation] : memo_)
      bases.insert(evaluation.bases.begin(), evaluation.bases.end());
    return bases;
  }

 private:
  const SymbolTable& symbols_;
  const MacroTable& macros_;
  std::map<std::string, Evaluation, std::less<>> memo_;
  std::set<std::string, std::less<>> inProgress_;
};

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

bool MatchesPrefixes(std::string_view name, const std::vector<std::string>& prefixes) {
  return prefixes.empty() ||
         std::any_of(prefixes.begin(), prefixes.end(),
                     [name](const std::string& prefix) { return StartsWith(name, prefix); });
}

// Whether the name may be a code declared with this kind.
bool IsCodeName(std::string_view name, DeclaredKind kind) {
  constexpr std::array<std::string_view, 4> kNumberPrefixes = {
      "FACILITY_", "SEVERITY_", "STATUS_SEVERITY_", "ERROR_SEVERITY_"};
  constexpr std::array<std::string_view, 2> kRangeSuffixes = {"_FIRST", "_LAST"};
  constexpr std::array<std::string_view, 2> kPlainMarkerSuffixes = {"_BASE", "_MASK"};
  if (name.empty() || name[0] == '_')
    return false;
  for (const std::string_view prefix : kNumberPrefixes) {
    if (StartsWith(name, prefix))
      return false;
  }
  for (const std::string_view suffix : kRangeSuffixes) {
    if (EndsWith(name, suffix))
      return false;
  }
  if (kind != DeclaredKind::Plain)
    return true;
  for (const std::string_view suffix : kPlainMarkerSuffixes) {
    if (EndsWith(name, suffix))
      return false;
  }
  return true;
}

// Whether the define may be a code before its value is known.
bool IsCandidate(const MacroDefinition& definition, const HeaderRule& rule) {
  return !definition.functionLike && !definition.body.empty() &&
         MatchesPrefixes(definition.name, rule.namePrefixes) &&
         std::none_of(rule.excludedPrefixes.begin(), rule.excludedPrefixes.end(),
                      [&definition](const std::string& prefix) {
                        return StartsWith(definition.name, prefix);
                      }) &&
         (IsCodeName(definition.name, DeclaredKind::Hresult) ||
          IsCodeName(definition.name, DeclaredKind::Plain));
}

NameRank RankOf(std::string_view name, const MacroValue& value) {
  // Names that share their code with an earlier-sorting one but are the ones users know.
  constexpr std::array<std::string_view, 3> kPreferred = {"ERROR_SUCCESS", "S_OK",
                                                          "STATUS_SUCCESS"};
  if (std::find(kPreferred.begin(), kPreferred.end(), name) != kPreferred.end()) {
    return NameRank::Preferred;
  }
  return value.alias ? NameRank::Alias : NameRank::Own;
}

std::optional<ErrorType> TableFor(const MacroValue& value, const HeaderRule& rule) {
  switch (value.kind) {
    case DeclaredKind::Hresult:
      return ErrorType::Hresult;
    case DeclaredKind::NtStatus:
      return ErrorType::NtStatus;
    case DeclaredKind::Plain:
      break;
  }
  if (rule.plainTable == ErrorType::Win32 && value.value > kLargestWin32Code)
    return ErrorType::Hresult;
  // The bug-check header also numbers the texts of the stop screen and the boot banner as
  // informational and warning messages (0x4000007E, 0x8000007F); no bug check carries those
  // severities.
  constexpr std::uint32_t kSeverityBits = 0xC0000000;
  const std::uint32_t severity = value.value & kSeverityBits;
  if (rule.plainTable == ErrorType::Stop && severity != 0 && severity != kSeverityBits)
    return std::nullopt;
  return rule.plainTable;
}

void SortRows(std::vector<DefineRow>& rows) {
  // The well-known name first: the preferred names, then by the authority of the header,
  // then names of their own before aliases.
  const auto key = [](const DefineRow& row) {
    return std::make_tuple(row.table, row.code, row.rank != NameRank::Preferred, row.authority,
                           row.rank, std::string_view(row.name));
  };
  std::sort(rows.begin(), rows.end(),
            [&key](const DefineRow& a, const DefineRow& b) { return key(a) < key(b); });
}

// Facility numbers: FACILITY_* and the families' own _FAC* (dxgi.h's _FACDXGI). Those of
// ntstatus.h number NTSTATUS facilities, the bug-check header's none, all others HRESULT's.
std::optional<ErrorType> FacilityKind(std::string_view name, std::string_view header) {
  if (!StartsWith(name, "FACILITY_") && !StartsWith(name, "_FAC"))
    return std::nullopt;
  const std::string_view file = header.substr(header.rfind('/') + 1);
  if (file == "bugcodes.h")
    return std::nullopt;
  return file == "ntstatus.h" ? ErrorType::NtStatus : ErrorType::Hresult;
}

void SortFacilities(std::vector<FacilityRow>& facilities) {
  // FACILITY_DXGI before _FACDXGI, then by the header's authority.
  const auto key = [](const FacilityRow& row) {
    return std::make_tuple(row.kind, row.number, row.name[0] == '_', row.authority,
                           std::string_view(row.name));
  };
  std::sort(facilities.begin(), facilities.end(),
            [&key](const FacilityRow& a, const FacilityRow& b) { return key(a) < key(b); });
}

SymbolTable CollectSymbols(const std::vector<ParsedHeader>& headers, Catalog& catalog) {
  SymbolTable symbols;
  for (std::size_t h = 0; h < headers.size(); ++h) {
    for (const MacroDefinition& definition : headers[h].defines) {
      const auto [existing, added] = symbols.try_emplace(definition.name, Symbol{&definition, h});
      if (added)
        continue;
      const MacroDefinition& first = *existing->second.definition;
      const bool sameText =
          first.functionLike == definition.functionLike && first.body == definition.body;
      if (!sameText && IsCandidate(definition, headers[h].rule)) {
        const std::string& firstFile = headers[existing->second.header].rule.file;
        catalog.redefined.push_back({definition.name, headers[h].rule.file, definition.line,
                                     "defined before at " + firstFile + ":" +
                                         std::to_string(first.line) + " as \"" + first.body +
                                         "\"; that definition is used"});
      }
    }
  }
  return symbols;
}

}  // namespace

Catalog BuildCatalog(const std::vector<ParsedHeader>& headers) {
  Catalog catalog;
  const SymbolTable symbols = CollectSymbols(headers, catalog);
  const MacroTable macros = CollectMacros(headers);
  Resolver resolver(symbols, macros);
  for (std::size_t h = 0; h < headers.size(); ++h) {
    const HeaderRule& rule = headers[h].rule;
    for (const MacroDefinition& definition : headers[h].defines) {
      const Symbol& symbol = symbols.find(definition.name)->second;
      if (symbol.definition != &definition)
        continue;
      if (const std::optional<ErrorType> kind = FacilityKind(definition.name, rule.file);
          kind && !definition.functionLike) {
        constexpr std::uint32_t kLargestFacility = 0x1FFF;
        const Evaluation facility = resolver.Evaluate(definition.name);
        if (facility.value && facility.value->value <= kLargestFacility) {
          catalog.facilities.push_back(
              {*kind, facility.value->value, definition.name, rule.file, h});
        }
      }
      if (!IsCandidate(definition, rule))
        continue;
      const Evaluation evaluation = resolver.Evaluate(definition.name);
      if (!evaluation.value) {
        // In a header of typed codes only, a text that names no type is no code missed.
        if (rule.plainTable || MakesTypedCode(definition)) {
          catalog.skipped.push_back(
              {definition.name, rule.file, definition.line, evaluation.error});
        }
        continue;
      }
      const MacroValue& value = *evaluation.value;
      const std::optional<ErrorType> table = TableFor(value, rule);
      if (!table || !IsCodeName(definition.name, value.kind))
        continue;
      catalog.rows.push_back({*table, static_cast<std::int32_t>(value.value), definition.name,
                              RankOf(definition.name, value), rule.file, h});
    }
  }

  const std::set<std::string, std::less<>> bases = resolver.Bases();
  std::erase_if(catalog.rows,
                [&bases](const DefineRow& row) { return bases.count(row.name) != 0; });
  SortRows(catalog.rows);
  SortFacilities(catalog.facilities);
  return catalog;
}

Catalog MergeCatalogs(Catalog first, const Catalog& second) {
  std::map<std::string_view, std::vector<const DefineRow*>> firstRows;
  std::size_t firstHeaders = 0;
  for (const DefineRow& row : first.rows) {
    firstRows[row.name].push_back(&row);
    firstHeaders = std::max(firstHeaders, row.authority + 1);
  }
  std::vector<DefineRow> added;
  for (const DefineRow& row : second.rows) {
    DefineRow kept = row;
    kept.authority += firstHeaders;
    // first's rows of this name in this table, if any.
    std::vector<const DefineRow*> same;
    if (const auto known = firstRows.find(row.name); known != firstRows.end()) {
      std::copy_if(known->second.begin(), known->second.end(), std::back_inserter(same),
                   [&row](const DefineRow* other) { return other->table == row.table; });
    }
    if (same.empty()) {
      added.push_back(std::move(kept));
    } else if (std::none_of(same.begin(), same.end(),
                            [&row](const DefineRow* other) { return other->code == row.code; })) {
      first.disagreements.push_back({row.name, *same.front(), kept});
      added.push_back(std::move(kept));
    }
  }
  first.rows.insert(first.rows.end(), std::make_move_iterator(added.begin()),
                    std::make_move_iterator(added.end()));
  SortRows(first.rows);
  for (const FacilityRow& facility : second.facilities) {
    const bool known = std::any_of(
        first.facilities.begin(), first.facilities.end(), [&facility](const FacilityRow& other) {
          return other.kind == facility.kind && other.name == facility.name;
        });
    if (!known) {
      first.facilities.push_back(facility);
      first.facilities.back().authority += firstHeaders;
    }
  }
  SortFacilities(first.facilities);
  first.skipped.insert(first.skipped.end(), second.skipped.begin(), second.skipped.end());
  first.redefined.insert(first.redefined.end(), second.redefined.begin(), second.redefined.end());
  std::sort(first.disagreements.begin(), first.disagreements.end(),
            [](const Disagreement& a, const Disagreement& b) {
              return std::tie(a.first.table, a.name) < std::tie(b.first.table, b.name);
            });
  return first;
}

}  // namespace quillon::make_defines
