#include "cli/scan_tokens.h"

#include <algorithm>
#include <array>
#include <optional>

#include "query/classify_query.h"

namespace quillon {

namespace {

enum ByteClass : std::uint8_t { kOther, kWord, kLineFeed, kKeywordGap, kDash };

constexpr std::array<ByteClass, 256> MakeClasses() {
  std::array<ByteClass, 256> classes{};
  for (int c = '0'; c <= '9'; ++c) classes[static_cast<std::size_t>(c)] = kWord;
  for (int c = 'A'; c <= 'Z'; ++c) classes[static_cast<std::size_t>(c)] = kWord;
  for (int c = 'a'; c <= 'z'; ++c) classes[static_cast<std::size_t>(c)] = kWord;
  classes['_'] = kWord;
  classes['\n'] = kLineFeed;
  for (const char c : {':', '=', '#', ' ', '\t'})
    classes[static_cast<unsigned char>(c)] = kKeywordGap;
  classes['-'] = kDash;
  return classes;
}

constexpr std::array<ByteClass, 256> kClasses = MakeClasses();

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsHex(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool IsLower(char c) {
  return c >= 'a' && c <= 'z';
}

bool AllOf(std::string_view text, bool (*test)(char)) {
  return std::all_of(text.begin(), text.end(), test);
}

bool IsKeyword(std::string_view word) {
  constexpr std::string_view kKeywords[] = {"error", "code", "status", "result", "hresult"};
  return std::any_of(std::begin(kKeywords), std::end(kKeywords), [word](std::string_view k) {
    return word.size() == k.size() && std::equal(word.begin(), word.end(), k.begin(),
                                                 [](char a, char b) { return (a | 0x20) == b; });
  });
}

std::optional<std::uint32_t> NumberOf(std::string_view text) {
  const QueryVerdict verdict = ClassifyQuery(text);
  if (verdict.kind != QueryVerdict::Kind::Number) {
    return std::nullopt;
  }
  return verdict.number;
}

// A define name as names are written: upper case with '_', or upper case throughout
// (WSAEACCES); only such words are looked up.
bool MayBeName(std::string_view word) {
  const char first = word.front();
  if (!((first >= 'A' && first <= 'Z') || first == '_')) {
    return false;
  }
  return word.find('_') != std::string_view::npos ||
         std::none_of(word.begin(), word.end(), IsLower);
}

}  // namespace

void TokenScanner::Feed(std::string_view bytes, ScanSink& sink) {
  const char* const end = bytes.data() + bytes.size();
  const char* p = bytes.data();
  const char* lineStart = p;  // where the current line's bytes start in this chunk
  // What of the line so far is shown; called before the line ends or the chunk runs out.
  const auto keepShown = [&](const char* upTo) {
    const std::size_t room = kShownLimit - shown_.size();
    const auto length = static_cast<std::size_t>(upTo - lineStart);
    shown_.append(lineStart, std::min(room, length));
    cut_ = cut_ || length > room;
  };
  const auto columnOf = [&](const char* at) {
    return column_ + static_cast<std::uint64_t>(at - lineStart) + 1;
  };
  while (p < end) {
    const ByteClass byteClass = kClasses[static_cast<unsigned char>(*p)];
    if (byteClass == kWord) {
      const char* runEnd = p;
      while (runEnd < end && kClasses[static_cast<unsigned char>(*runEnd)] == kWord) {
        ++runEnd;
      }
      if (!inWord_) {
        inWord_ = true;
        negative_ = dashPending_ && IsDigit(*p);
        wordColumn_ = columnOf(p) - (negative_ ? 1 : 0);
      }
      const auto length = static_cast<std::size_t>(runEnd - p);
      if (word_.size() + length <= kWordLimit) {
        word_.append(p, length);
      } else {
        wordTooLong_ = true;
      }
      dashPending_ = false;
      p = runEnd;
      continue;  // the word may go on in the next chunk
    }
    if (inWord_) {
      EndWord(sink);
    }
    const bool wordJustEnded = lastWasWord_;
    lastWasWord_ = false;
    switch (byteClass) {
      case kLineFeed:
        keepShown(p);
        EndLine(sink);
        lineStart = p + 1;
        break;
      case kKeywordGap:
        dashPending_ = false;
        break;
      case kDash:
        dashPending_ = !wordJustEnded && !dashPending_;
        afterKeyword_ = false;
        break;
      default:
        dashPending_ = false;
        afterKeyword_ = false;
        break;
    }
    ++p;
  }
  keepShown(end);
  column_ += static_cast<std::uint64_t>(end - lineStart);
}

void TokenScanner::EndWord(ScanSink& sink) {
  inWord_ = false;
  lastWasWord_ = true;
  const bool afterKeyword = afterKeyword_;
  afterKeyword_ = false;
  const std::string_view word = word_;
  std::optional<Reading> reading;
  if (!wordTooLong_) {
    const bool hexPrefix = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
    if (negative_) {
      if ((word.size() == 9 || word.size() == 10) && AllOf(word, IsDigit)) {
        if (const auto value = NumberOf("-" + word_)) {
          reading = Reading{ReadingKind::Negative, *value, {}};
        }
      }
    } else if (hexPrefix) {
      if (word.size() <= 10 && AllOf(word.substr(2), IsHex)) {
        reading = Reading{ReadingKind::Hex, *NumberOf(word), {}};
      }
    } else if (word.size() == 8 && AllOf(word, IsHex) && IsHex(word[0]) &&
               !(word[0] >= '0' && word[0] <= '7')) {
      reading = Reading{ReadingKind::Hex, *NumberOf("0x" + word_), {}};
    } else if (AllOf(word, IsDigit)) {
      if (afterKeyword) {
        if (const auto value = NumberOf(word)) {
          reading = Reading{ReadingKind::Decimal, *value, {}};
        }
      }
    } else if (IsKeyword(word)) {
      afterKeyword_ = true;
    } else if (MayBeName(word) && names_.count(word_) != 0) {
      reading = Reading{ReadingKind::Name, 0, word_};
    }
  }
  if (reading) {
    lineHasToken_ = true;
    const std::string text = negative_ ? "-" + word_ : word_;
    sink.Token(line_, ScanToken{wordColumn_, text, std::move(*reading)});
  }
  word_.clear();
  wordTooLong_ = false;
  negative_ = false;
}

void TokenScanner::EndLine(ScanSink& sink) {
  // Called once the line's shown bytes are kept; the next line starts at column 1.
  if (lineHasToken_) {
    // A line ends in CR LF on Windows; the CR is no part of what is shown.
    std::string_view shown = shown_;
    if (!cut_ && !shown.empty() && shown.back() == '\r') {
      shown.remove_suffix(1);
    }
    sink.LineEnd(line_, shown, cut_);
  }
  ++line_;
  column_ = 0;
  shown_.clear();
  cut_ = false;
  lineHasToken_ = false;
  dashPending_ = false;
  afterKeyword_ = false;
}

void TokenScanner::Finish(ScanSink& sink) {
  if (inWord_) {
    EndWord(sink);
  }
  if (column_ > 0 || lineHasToken_) {
    EndLine(sink);
  }
}

}  // namespace quillon
