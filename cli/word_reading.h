// Whether one word of a log is a code: the word with the bytes of its line just before it
// (where a keyword and a sign may stand) and the two bytes after it.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

#include "cli/readings.h"

namespace quillon {

// Looked up by the views the scan holds, with no string made per word.
struct NameHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const {
    return std::hash<std::string_view>{}(text);
  }
};
using NameSet = std::unordered_set<std::string, NameHash, std::equal_to<>>;

// Bytes of the line before a word that its reading looks at: room for a keyword at the end
// of an identifier, a call's "()", blanks, a separator and a sign.
inline constexpr std::size_t kWordContext = 32;
// Longer words are no codes: the longest define name is well under this.
inline constexpr std::size_t kLongestWord = 128;

struct Candidate {
  Reading reading;
  bool negative = false;  // the '-' before the word is part of what was written
};

// before: up to kWordContext bytes of the line before word, fewer only at the line's start;
// after: up to the two bytes of the line after it. word is a run of letters, digits and '_'.
// Nothing when the word is no code: a number inside a larger token (a GUID, 1,603, base64,
// 10.0.19041.1, an address), a decimal without a keyword before it, a name the database does
// not hold or one that needs an underscore to stand.
std::optional<Candidate> ReadWord(std::string_view before, std::string_view word,
                                  std::string_view after, const NameSet& names);

// Whether text, the end of a line before a number, ends in a keyword ("error", "ExitCode",
// "GetLastError()") and its separator.
bool EndsWithKeyword(std::string_view text);

// Whether a word that starts with c can be a code: others need not be read.
bool MayStartCode(char c);

// Whether a define name with no underscore may stand for a code in a log: only Winsock's
// WSA names; the others (PENDING, NOERROR) are ordinary words of logs.
bool MayStandWithoutUnderscore(std::string_view name);

}  // namespace quillon
