// One search of the query text: classification, then the probes of a number or the define
// search of a name, ending in the kinds that matched or a not-found text. Front ends apply
// the result to what they show.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/error_type.h"
#include "lookup/define_source.h"
#include "lookup/message_source.h"

namespace quillon {

// What the define/code box shows: the name of a number, or the number of a name.
enum class QueryMode { Number = 0, Define = 1 };

enum class SearchVerdict { Found, NumberNotFound, DefineNotFound, Rejected };

// "\n\nError number not found" and "\n\nDefine Not Found": not errors, just nothing found.
inline constexpr std::string_view kNumberNotFoundText = "\n\nError number not found";
inline constexpr std::string_view kDefineNotFoundText = "\n\nDefine Not Found";

struct SearchResult {
  SearchVerdict verdict = SearchVerdict::Rejected;
  // The mode the search entered; nothing when the previous search's mode stays.
  std::optional<QueryMode> mode;
  // Per kind (ErrorType order), the code stored for a kind that matched; the other kinds
  // keep whatever an earlier search stored.
  std::array<std::optional<std::uint32_t>, 4> matches{};
  std::optional<ErrorType> selected;  // the first kind that matched
  // The not-found text or the rejection message; empty when something was found.
  std::string description;
  bool expandsWindow = false;  // a compact window opens to show the outcome
};

SearchResult Search(std::string_view queryText, MessageSource& messages,
                    const DefineSource& defines);

// The group box caption over the define/code box: "#Define" or "Error Code".
std::string_view DefineBoxCaption(QueryMode mode);

}  // namespace quillon
