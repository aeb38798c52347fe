// The scan's reading of a stream: the same bytes, whole or cut into pieces of any sizes, give
// the same findings and the same shown lines; the quick test passes every code the reading
// finds, as does the test of a block's word starts; and nothing crashes on any bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/text_decoder.h"
#include "core/word_reading.h"
#include "core/word_splitter.h"

namespace {

const quillon::NameSet kNames = {"E_ACCESSDENIED", "ERROR_ACCESS_DENIED", "WSAEACCES", "PENDING"};

// Every event, as text: findings with their place and reading, and the shown lines.
struct Recorder {
  bool everyWord = false;  // else only the words whose start may begin a code
  std::vector<std::string> events;
  static constexpr quillon::LetterPairs kLetterPairs = quillon::kKeywordLetterPairs;
  std::uint64_t Starts(const quillon::BlockView& view) const {
    return everyWord ? view.starts : quillon::CodeStarts(view);
  }
  // Every word is read, so that the scan's quick test is checked against the reading.
  bool Worth(std::string_view, std::string_view) const { return true; }
  bool Word(const quillon::SplitWord& word) {
    const auto found = quillon::ReadWord(word.before, word.text, word.after, kNames);
    if (!found) {
      return false;
    }
    if (!quillon::WorthReading(word.before, word.text)) {
      __builtin_trap();  // the quick test would have let a code go
    }
    events.push_back(std::to_string(word.line) + ':' + std::to_string(word.column) + ' ' +
                     std::string(word.text) + (found->negative ? " -" : " ") +
                     std::to_string(found->reading.value));
    return true;
  }
  void LineEnd(std::uint64_t line, std::string_view shown, bool cut) {
    events.push_back(std::to_string(line) + (cut ? " cut " : " ") + std::string(shown));
  }
};

std::vector<std::string> Scan(std::string_view bytes, const std::vector<std::size_t>& cuts,
                              bool everyWord = false) {
  // A small buffer: it fills and moves its unfinished end to its start far more often.
  quillon::WordSplitter splitter(quillon::kWordContext, quillon::kLongestWord, 1024);
  quillon::TextDecoder decoder;
  Recorder recorder;
  recorder.everyWord = everyWord;
  std::size_t start = 0;
  for (const std::size_t cut : cuts) {
    splitter.Feed(decoder.Decode(bytes.substr(start, cut - start)), recorder);
    start = cut;
  }
  splitter.Feed(decoder.Decode(bytes.substr(start)), recorder);
  splitter.Feed(decoder.Finish(), recorder);
  splitter.Finish(recorder);
  return recorder.events;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // Cut points from a generator seeded by the input: mostly short pieces, some long.
  std::uint32_t state = 2166136261u;
  for (const char c : bytes) {
    state = (state ^ static_cast<unsigned char>(c)) * 16777619u;
  }
  std::vector<std::size_t> cuts;
  for (std::size_t at = 0;;) {
    state = state * 1103515245u + 12345u;
    const std::size_t step = (state >> 16) % 8 == 0 ? (state >> 8) % 700 : (state >> 16) % 5;
    at += step + 1;
    if (at >= size) {
      break;
    }
    cuts.push_back(at);
  }
  const std::vector<std::string> whole = Scan(bytes, {});
  if (whole != Scan(bytes, cuts) || whole != Scan(bytes, cuts, true)) {
    __builtin_trap();
  }
  return 0;
}
