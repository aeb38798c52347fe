// Whether one word of a log is a code: the word with the bytes of its line just before it
// (where a keyword and a sign may stand) and the two bytes after it.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/name_set.h"
#include "core/readings.h"
#include "core/word_splitter.h"

namespace quillon {

// Longer words are no codes: the longest define name is well under this.
inline constexpr std::size_t kLongestWord = 128;
// Bytes of the line before a word's gap that its reading looks at: a keyword is the end of an
// identifier, which is no keyword when longer than kLongestWord; one byte more tells.
inline constexpr std::size_t kWordContext = kLongestWord + 1;

// The words after which a decimal is a code, in lower case; any case matches.
inline constexpr std::array<std::string_view, 13> kKeywords = {
    "error", "err",    "code",     "status",    "result",    "hresult",  "hr",
    "exit",  "return", "returned", "returning", "lasterror", "ntstatus",
};

// For each letter that ends a keyword, a bit for each letter that stands before it there: the
// quick test's view of the keywords, made from them.
inline constexpr std::array<std::uint32_t, 26> kKeywordEndings = [] {
  std::array<std::uint32_t, 26> endings{};
  for (const std::string_view keyword : kKeywords) {
    const std::size_t n = keyword.size();
    endings[static_cast<std::size_t>(keyword[n - 1] - 'a')] |= 1u << (keyword[n - 2] - 'a');
  }
  return endings;
}();

// The same as the splitter's letter pairs: a class for each letter that ends a keyword.
inline constexpr LetterPairs kKeywordLetterPairs = [] {
  LetterPairs pairs;
  int classes = 0;
  for (std::size_t last = 0; last < 26; ++last) {
    if (kKeywordEndings[last] == 0) {
      continue;
    }
    if (classes == 8) {
      throw "more letters end keywords than a byte has bits";  // stops the compile
    }
    const auto bit = static_cast<std::uint8_t>(1u << classes++);
    pairs.last[last] = bit;
    for (std::size_t first = 0; first < 26; ++first) {
      if ((kKeywordEndings[last] >> first & 1u) != 0) {
        pairs.first[first] |= bit;
      }
    }
  }
  return pairs;
}();

// Whether a keyword ends in the two letters a, b (any case).
constexpr bool MayEndKeyword(char a, char b) {
  const auto letter = [](char c) { return static_cast<char>(c | 0x20) - 'a'; };
  const int first = letter(a);
  const int last = letter(b);
  if (first < 0 || first >= 26 || last < 0 || last >= 26) {
    return false;
  }
  return ((kKeywordEndings[static_cast<std::size_t>(last)] >> first) & 1u) != 0;
}

// Whether a define name with no underscore may stand for a code in a log: only Winsock's
// WSA names; the others (PENDING, NOERROR) are ordinary words of logs.
constexpr bool MayStandWithoutUnderscore(std::string_view name) {
  return name.size() > 3 && name.substr(0, 3) == "WSA";
}

struct Candidate {
  Reading reading;
  bool negative = false;  // the '-' before the word is part of what was written
};

// before: the line before word as the splitter hands it (SplitWord::before): the gap of other
// bytes just before it, whose runs of blanks may be cut to one and of which a long one may be
// only its end, after up to kWordContext bytes of the line before the gap, fewer only at the
// line's start; after: up to the two bytes of the line after it. word is a run of letters, digits
// and '_'. Nothing when the word is no code: a number inside a larger token (a GUID, 1,603, base64,
// 10.0.19041.1, an address), a decimal without a keyword before it, a name the database does
// not hold or one that needs an underscore to stand.
std::optional<Candidate> ReadWord(std::string_view before, std::string_view word,
                                  std::string_view after, const NameSet& names);

// Whether text, the end of a line before a number, ends in a keyword ("error", "ExitCode",
// "GetLastError()") and its separator, with any blanks around it.
bool EndsWithKeyword(std::string_view text);

// Each pair of bytes that ends a keyword (any case), a bit per pair: one look for the scan's
// mask test, which asks it of nearly every number in a log.
inline constexpr std::array<std::uint64_t, 1024> kKeywordPairs = [] {
  std::array<std::uint64_t, 1024> pairs{};
  for (int a = 0; a < 256; ++a) {
    for (int b = 0; b < 256; ++b) {
      if (MayEndKeyword(static_cast<char>(a), static_cast<char>(b))) {
        const int pair = a << 8 | b;
        pairs[static_cast<std::size_t>(pair >> 6)] |= std::uint64_t{1} << (pair & 63);
      }
    }
  }
  return pairs;
}();

// The bytes the mask test tells apart: word bytes, and those that may stand between a keyword
// and its number (a keyword's separator, blanks, "()" and a sign).
inline constexpr std::uint8_t kWordByte = 1;
inline constexpr std::uint8_t kBetweenByte = 2;
inline constexpr std::array<std::uint8_t, 256> kSignByteKinds = [] {
  std::array<std::uint8_t, 256> kinds{};
  for (int c = 0; c < 256; ++c) {
    const bool word =
        (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    const bool between = c == ' ' || c == '\t' || c == ':' || c == '=' || c == '#' || c == '(' ||
                         c == ')' || c == '-';
    kinds[static_cast<std::size_t>(c)] =
        static_cast<std::uint8_t>((word ? kWordByte : 0) | (between ? kBetweenByte : 0));
  }
  return kinds;
}();

// Whether the number at word may have a sign or a keyword before it: false only when it
// has neither. Bytes before earliest are not known.
inline bool MayFollowSignOrKeyword(const char* word, const char* earliest) {
  const auto kind = [](char c) { return kSignByteKinds[static_cast<unsigned char>(c)]; };
  if (word - earliest < 2) {
    return true;
  }
  if (word[-1] == '-') {
    return (kind(word[-2]) & kWordByte) == 0;  // a sign; after a word it joins (node-826)
  }
  const char* end = word;
  while (end > earliest && (kind(end[-1]) & kBetweenByte) != 0) {
    --end;
  }
  if (end - earliest < 2) {
    return true;
  }
  const unsigned pair =
      static_cast<unsigned char>(end[-2]) << 8 | static_cast<unsigned char>(end[-1]);
  return (kKeywordPairs[pair >> 6] >> (pair & 63) & 1) != 0;
}

// Of a block's word starts, those where a code may begin: a word ReadWord may find, a bug
// check pasted with its arguments (BugCheck, bugcheck) or setup's pair. Every other word is no
// code whatever stands around it, so it need not be read: most words of a log, and numbers
// that are parts of times and dates, cost nothing more than the block's masks.
[[gnu::always_inline]] inline std::uint64_t CodeStarts(const BlockView& view) {
  const ByteMasks& here = view.here;
  const std::uint64_t word = here.Word();
  const std::uint64_t wordAfter = view.after.Word();
  const std::uint64_t wordBefore = view.before.Word();
  // Where words end: the byte after each.
  const std::uint64_t ends = ~word & (word << 1 | wordBefore >> 63);
  // Eight bytes long: bare hexadecimal, a zero-padded bug check, BugCheck. Runs of 2, 4, then
  // 8 word bytes, each from the one before shifted over the block after.
  const auto over = [](std::uint64_t bits, std::uint64_t after, int by) {
    return bits >> by | after << (64 - by);
  };
  const std::uint64_t two = word & over(word, wordAfter, 1);
  const std::uint64_t twoAfter = wordAfter & wordAfter >> 1;
  const std::uint64_t four = two & over(two, twoAfter, 2);
  const std::uint64_t eight = four & over(four, twoAfter & twoAfter >> 2, 4);
  // Its first byte hexadecimal (BugCheck's B is).
  const std::uint64_t eightLong =
      view.starts & eight & ~over(word, wordAfter, 8) & (here.digit | here.hexLetter);
  // A number: "0x"; or a sign, a '-' after no word byte; or a keyword, a word ending in a
  // letter, then blanks and separators. The last two are looked at where the masks allow them.
  const std::uint64_t numbers = view.starts & here.digit;
  const std::uint64_t nextLetter = here.Letter() >> 1 | view.after.Letter() << 63;
  std::uint64_t number = numbers & nextLetter;
  const std::uint64_t noWordTwoBefore = ~(word << 2 | wordBefore >> 62);
  const std::uint64_t signOrKeyword = numbers & ~number & (noWordTwoBefore | view.afterLetter);
  // Where the masks mark the keywords' last letters, a sign is a '-' after no word byte and a
  // keyword ends the word before the gap (the gap may hold any bytes but a line feed: the quick
  // test looks closer); elsewhere the bytes before are looked at one by one.
  if (here.pairsTold) {
    const std::uint64_t minusBefore = here.minus << 1 | view.before.minus >> 63;
    number |= signOrKeyword & ((minusBefore & noWordTwoBefore) | (~minusBefore & view.afterLetter));
  } else {
    for (std::uint64_t rest = signOrKeyword; rest != 0; rest &= rest - 1) {
      if (MayFollowSignOrKeyword(view.bytes + std::countr_zero(rest), view.earliest)) {
        number |= rest & (~rest + 1);
      }
    }
  }
  // A name: a capital or '_', no lower-case letter next, and a '_' in it (an add carries each
  // '_' to the end of its word) or Winsock's "WSA" and more.
  const std::uint64_t nextLower = here.lower >> 1 | view.after.lower << 63;
  const std::uint64_t nameStarts = view.starts & (here.upper | here.underscore) & ~nextLower;
  std::uint64_t name = 0;
  for (std::uint64_t at = (word + here.underscore) & ~word; at != 0; at &= at - 1) {
    const std::uint64_t startsBefore = view.starts & ((at & (~at + 1)) - 1);
    if (startsBefore != 0) {
      name |= std::uint64_t{1} << (63 - std::countl_zero(startsBefore));
    }
  }
  // The one word that may run past the block's end (it starts after the last end): its '_'
  // may be here or in the block after, up to where its word bytes end there; past that
  // block, or where the bytes after are not yet known (the splitter then hands it over
  // anyway), it may be anywhere.
  const std::uint64_t cut =
      ends == 0 ? nameStarts : nameStarts & ~(~std::uint64_t{0} >> std::countl_zero(ends));
  // Without a branch: most blocks end inside a word, whether it is a name or not.
  const std::uint64_t runAfter = (~wordAfter & (wordAfter + 1)) - 1;  // all, if all are word
  const bool underscoreOrUnknown = (here.underscore & ~(cut - 1)) != 0 ||
                                   (view.after.underscore & runAfter) != 0 || ~wordAfter == 0;
  name |= underscoreOrUnknown ? cut : 0;
  // "WSA" read where the masks show a 'W', a capital that is no hexadecimal digit, then one that
  // is: the bytes are there to be read, and WARN is not.
  const auto third = [](std::uint64_t bits, std::uint64_t after) {
    return bits >> 2 | after << 62;
  };
  const std::uint64_t nextUpper = here.upper >> 1 | view.after.upper << 63;
  const std::uint64_t nextHex = here.hexLetter >> 1 | view.after.hexLetter << 63;
  const std::uint64_t thirdHexCapital =
      third(here.upper & here.hexLetter, view.after.upper & view.after.hexLetter);
  for (std::uint64_t rest =
           nameStarts & ~name & here.capitalW & nextUpper & ~nextHex & thirdHexCapital;
       rest != 0; rest &= rest - 1) {
    const char* const at = view.bytes + std::countr_zero(rest);
    if (at[0] == 'W' && at[1] == 'S' && at[2] == 'A') {
      name |= rest & (~rest + 1);
    }
  }
  return (eightLong | number | (name & nameStarts)) & view.starts;
}

// A quick test that lets most words of a log go unread: false only when ReadWord would find
// nothing. Inline, as the scan asks it of nearly every word.
inline bool WorthReading(std::string_view before, std::string_view word) {
  const auto lower = [](char c) { return static_cast<char>(c | 0x20); };
  if (word.size() == 8) {
    return true;  // bare hexadecimal, or a zero-padded bug check
  }
  if (word[0] >= '0' && word[0] <= '9') {
    if (word.size() >= 3 && lower(word[1]) == 'x') {
      return true;
    }
    // A decimal needs a sign, or a keyword and its separator before it: most numbers of a log
    // (times, dates, sizes) are told from the byte just before them.
    std::size_t end = before.size();
    if (end == 0) {
      return false;
    }
    const char last = before[end - 1];
    if (last == '-') {
      // A sign; after a word it joins (2026-12-08, worker-12).
      const char c = end > 1 ? before[end - 2] : ' ';
      return !((c >= '0' && c <= '9') || (lower(c) >= 'a' && lower(c) <= 'z') || c == '_');
    }
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    const auto isSeparator = [](char c) { return c == ':' || c == '=' || c == '#' || c == '('; };
    if (last == ')') {
      return true;  // GetLastError()5
    }
    if (!isBlank(last) && !isSeparator(last)) {
      return false;
    }
    while (end > 0 && isBlank(before[end - 1])) {
      --end;
    }
    if (end > 0 && isSeparator(before[end - 1])) {
      --end;
      while (end > 0 && isBlank(before[end - 1])) {
        --end;
      }
    }
    if (end > 0 && before[end - 1] == ')') {
      return true;
    }
    if (end < 2) {
      return false;
    }
    return MayEndKeyword(before[end - 2], before[end - 1]);
  }
  // A name begins as names are written, in capitals (NERR_Success, not Property).
  if (word.size() < 2 || (word[1] >= 'a' && word[1] <= 'z')) {
    return false;
  }
  for (const char c : word) {
    if (c == '_') {
      return true;
    }
  }
  return MayStandWithoutUnderscore(word);
}

}  // namespace quillon
