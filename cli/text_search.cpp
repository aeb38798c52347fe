#include "cli/text_search.h"

#include <algorithm>
#include <set>
#include <utility>

#include "base/code_bits.h"
#include "core/case_folding.h"
#include "lookup/family_modules.h"

namespace quillon {

namespace {

using KindAndCode = std::pair<ErrorType, std::uint32_t>;

bool IsSpaceOrLineEnd(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The kinds that a text of the table origin answers id for, as a lookup asks them.
void AddCandidates(const TableOrigin& origin, std::uint32_t id, std::set<KindAndCode>& candidates) {
  switch (origin.kind) {
    case TableOrigin::Kind::Source:
      switch (origin.source) {
        case MessageSourceId::System:
          candidates.insert({id <= kLargestWin32Code ? ErrorType::Win32 : ErrorType::Hresult, id});
          break;
        case MessageSourceId::Wininet:
          if (id <= kLargestWin32Code) {
            candidates.insert({ErrorType::Win32, id});
          }
          break;
        case MessageSourceId::Ntdll:
          candidates.insert({ErrorType::NtStatus, id});
          break;
        case MessageSourceId::Ntoskrnl:
          candidates.insert({ErrorType::Stop, id});
          break;
      }
      break;
    case TableOrigin::Kind::Family:
      for (const ErrorType type : kErrorTypes) {
        if (ServesCode(FamilyModules()[origin.family], type, id)) {
          candidates.insert({type, id});
        }
      }
      break;
    case TableOrigin::Kind::Own:
      for (const ErrorType type : kErrorTypes) {
        if (OwnModuleAnswers(type, id)) {
          candidates.insert({type, id});
        }
      }
      break;
  }
}

}  // namespace

std::string FoldForSearch(std::string_view text) {
  const std::string cased = FoldUtf8Case(text);
  std::string folded;
  folded.reserve(cased.size());
  bool blank = false;
  for (const char c : cased) {
    if (IsSpaceOrLineEnd(c)) {
      blank = !folded.empty();
      continue;
    }
    if (blank) {
      folded += ' ';
      blank = false;
    }
    folded += c;
  }
  return folded;
}

std::vector<KindAnswer> SearchDescriptions(FileMessageSource& messages, const DefineRows& defines,
                                           std::string_view needle) {
  const std::string folded = FoldForSearch(needle);
  std::set<KindAndCode> candidates;
  for (const OriginMessage& found : messages.AllMessages()) {
    if (FoldForSearch(found.message.text).find(folded) != std::string::npos) {
      AddCandidates(found.origin, found.message.id, candidates);
    }
  }
  // The HRESULTs that carry a found Win32 code under a name of their own (E_ACCESSDENIED).
  std::vector<KindAndCode> wrapped;
  for (const auto& [type, value] : candidates) {
    if (type == ErrorType::Win32 && value != 0 &&
        !defines.NamesOfValue(ErrorType::Hresult, HresultFromWin32(value)).empty()) {
      wrapped.push_back({ErrorType::Hresult, HresultFromWin32(value)});
    }
  }
  candidates.insert(wrapped.begin(), wrapped.end());
  // A table's text is what a lookup shows only when no file asked before holds the same code:
  // each candidate is answered as a query would be, and kept when that answer's text matches.
  std::vector<KindAnswer> matches;
  for (const auto& [type, value] : candidates) {
    const ReadingAnswer answer = Answer(Reading{ReadingKind::Hex, value, {}}, messages, defines);
    for (const KindAnswer& kind : answer.matches) {
      if (kind.type == type && kind.value == value && kind.description &&
          FoldForSearch(*kind.description).find(folded) != std::string::npos) {
        matches.push_back(kind);
      }
    }
  }
  return matches;
}

}  // namespace quillon
