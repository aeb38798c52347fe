// Finds the codes in a stream of text: hexadecimal with 0x, eight bare hexadecimal digits from
// 8 on, negative decimals of 9 or 10 digits, decimals after "error", "code", "status",
// "result" or "hresult", and define names the database holds, each as a whole word. Lines may
// be of any length and hold any bytes; memory stays bounded.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>

#include "cli/readings.h"

namespace quillon {

struct ScanToken {
  std::uint64_t column = 0;  // 1-based byte offset in its line
  std::string text;          // as written
  Reading reading;
};

class ScanSink {
 public:
  virtual ~ScanSink() = default;
  virtual void Token(std::uint64_t line, const ScanToken& token) = 0;
  // At the end of every line that held a token: its first bytes (cut says whether more came).
  virtual void LineEnd(std::uint64_t line, std::string_view shown, bool cut) = 0;
};

class TokenScanner {
 public:
  // Longest start of a line kept to be shown, and longest word that can be a code or a name.
  static constexpr std::size_t kShownLimit = 240;
  static constexpr std::size_t kWordLimit = 160;

  // names: every define name the database holds, as it holds it.
  explicit TokenScanner(const std::unordered_set<std::string>& names) : names_(names) {}

  void Feed(std::string_view bytes, ScanSink& sink);
  // Ends the last line, which need not end in a line feed.
  void Finish(ScanSink& sink);

 private:
  void EndWord(ScanSink& sink);
  void EndLine(ScanSink& sink);

  const std::unordered_set<std::string>& names_;
  std::uint64_t line_ = 1;
  std::uint64_t column_ = 0;  // bytes of the current line in the chunks before this one
  std::string shown_;
  bool cut_ = false;
  bool lineHasToken_ = false;

  // The word being read, and what is known of it so far.
  std::string word_;
  std::uint64_t wordColumn_ = 0;
  bool inWord_ = false;
  bool wordTooLong_ = false;
  bool negative_ = false;  // a '-' that follows no word stands before it

  bool dashPending_ = false;   // the last byte was such a '-'
  bool lastWasWord_ = false;   // the last byte ended a word (a '-' after it is no sign)
  bool afterKeyword_ = false;  // only ':', '=', '#' and blanks since "error", "code", ...
};

}  // namespace quillon
