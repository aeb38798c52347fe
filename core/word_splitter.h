// Cuts a stream of text into lines and words (runs of letters, digits and '_'), each with the
// bytes of its line around it, whatever the sizes of the pieces the stream comes in. It knows
// nothing of codes: a sink says which words it read and which first bytes are worth reading.
// Memory stays bounded however long a line or a word is.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillon {

// The kinds of byte the splitter tells apart. Which words are worth reading is said by the kinds
// of their first two bytes, so that a block's word starts are all tested at once.
enum class ByteKind : std::uint8_t {
  kDigit,
  kUpperHex,  // A to F
  kUpper,     // G to Z
  kLowerHex,  // a to f
  kLower,     // g to z
  kUnderscore,
  kOther,  // no word byte
};
inline constexpr std::size_t kByteKinds = 7;
inline constexpr std::size_t kWordKinds = 6;  // all but kOther

constexpr ByteKind KindOf(char c) {
  if (c >= '0' && c <= '9') {
    return ByteKind::kDigit;
  }
  if (c >= 'A' && c <= 'Z') {
    return c <= 'F' ? ByteKind::kUpperHex : ByteKind::kUpper;
  }
  if (c >= 'a' && c <= 'z') {
    return c <= 'f' ? ByteKind::kLowerHex : ByteKind::kLower;
  }
  return c == '_' ? ByteKind::kUnderscore : ByteKind::kOther;
}

// Whether a word whose first byte is of kind first and whose next byte (kOther after a word of
// one byte) is of kind second may be worth reading; the others are skipped whole.
using WordStartTest = bool (*)(ByteKind first, ByteKind second);

struct SplitWord {
  std::uint64_t line = 0;    // 1-based
  std::uint64_t column = 0;  // 1-based, in bytes
  // The line before the word: the bytes between it and the word before it (the gap), after
  // up to the splitter's context of the line before them. In a gap each run of blanks (spaces
  // and tabs) may come cut to one, and a gap still longer than kGapKept may come as only its
  // last kGapKept bytes, with nothing before them.
  std::string_view before;
  std::string_view text;
  std::string_view after;  // up to two bytes of the line after the word
};

// A Sink has:
//   bool Worth(std::string_view before, std::string_view text)  a quick test: false lets the
//       word go unread, and the splitter need not wait for the bytes after it
//   bool Word(const SplitWord&)  true when the word was a finding, so its line is shown
//   void LineEnd(std::uint64_t line, std::string_view shown, bool cut)
//       at the end of every line that held a finding: its first bytes, without a CR that
//       ends it; cut when the line was longer
class WordSplitter {
 public:
  static constexpr std::size_t kShownLimit = 240;
  static constexpr std::size_t kChunkSize = 1 << 20;
  static constexpr std::size_t kGapKept = 16;

  // mayStart: which words are worth reading, by their first two bytes. Words are handed over with
  // up to context bytes of the line before their gap, and only while they are at most longest bytes
  // long. chunkSize: the least room Space gives.
  WordSplitter(WordStartTest mayStart, std::size_t context, std::size_t longest,
               std::size_t chunkSize = kChunkSize);

  // Room for the next bytes, at least the chunk size; Commit then takes count of them.
  std::span<char> Space() { return {buffer_.get() + end_, capacity_ - end_}; }
  template <typename Sink>
  void Commit(std::size_t count, Sink& sink) {
    end_ += count;
    Split(false, sink);
    Compact();
  }
  template <typename Sink>
  void Feed(std::string_view bytes, Sink& sink) {
    while (!bytes.empty()) {
      const std::span<char> space = Space();
      const std::size_t count = std::min(space.size(), bytes.size());
      std::memcpy(space.data(), bytes.data(), count);
      bytes.remove_prefix(count);
      Commit(count, sink);
    }
  }
  // Ends the last line, which need not end in a line feed.
  template <typename Sink>
  void Finish(Sink& sink) {
    Split(true, sink);
    if (lineStart_ < base_ + end_ || lineFound_) {
      EndLine(end_, sink);
    }
  }

 private:
  // Bytes kept across commits: the context of the word being read, or a line's shown start.
  static constexpr std::size_t kKeepLimit = 512;
  // A gap up to this long is handed over as it is, in the buffer; a longer one is cut short.
  static constexpr std::size_t kShortGap = 16;

  static constexpr std::size_t kUnknown = ~std::size_t{0};

  bool IsWord(char c) const { return wordBytes_[static_cast<unsigned char>(c)]; }

  struct BlockBits {
    std::uint64_t word = 0;   // bit i: byte i is a word byte
    std::uint64_t feed = 0;   // bit i: byte i is a line feed
    std::uint64_t worth = 0;  // bit i: a word starting at byte i may be worth reading
  };
  // Masks of each kind of byte, one bit per byte.
  using KindMasks = std::array<std::uint64_t, kByteKinds>;
  // The bits of count (at most 64) bytes; none past count.
  BlockBits Classify(const char* bytes, std::size_t count) const;
  // Where a word may start that is worth reading, from the kinds of each byte and the next;
  // the next byte of the last is not known here, so a word may start there.
  std::uint64_t WorthStarts(const KindMasks& kinds, std::size_t count) const;

  template <typename Sink>
  void Split(bool last, Sink& sink);
  // Inlined: it runs for most words.
  template <typename Sink>
  // gapFrom: where the gap before the word starts when the block's masks tell, else kUnknown.
  [[gnu::always_inline]] bool TakeWord(std::size_t start, std::size_t wordEnd, bool last,
                                       Sink& sink, std::size_t gapFrom = kUnknown);
  template <typename Sink>
  void EndLine(std::size_t at, Sink& sink);
  // The word at start's SplitWord::before; a view into the buffer unless its gap is long.
  std::string_view Before(std::size_t start, std::size_t gapFrom);
  std::string_view LongGapBefore(std::size_t start);
  void Compact();

  // A kind of first byte that may start a word worth reading, with the kinds of second byte
  // (one bit each) that rule it out. Kinds that never start one are not listed.
  struct Exclusion {
    std::size_t first = 0;
    std::uint8_t seconds = 0;
  };
  std::vector<Exclusion> exclusions_;
  std::array<bool, 256> wordBytes_{};
  std::size_t context_;
  std::size_t longest_;
  std::size_t capacity_;
  std::unique_ptr<char[]> buffer_;
  std::size_t end_ = 0;        // bytes in buffer_
  std::size_t scan_ = 0;       // where splitting goes on
  bool skippingWord_ = false;  // scan_ is inside a word not to be read
  std::uint64_t base_ = 0;     // offset in the stream of buffer_[0], less the bytes cut out
  std::uint64_t lineStart_ = 0;
  std::uint64_t lineCut_ = 0;  // blanks of long gaps cut out of the line: its columns count them
  std::size_t lineBegin_ = 0;  // where the line starts in buffer_; 0 once it is no longer there
  std::uint64_t line_ = 1;
  bool lineFound_ = false;
  std::string shown_;  // the line's start, once it is no longer in buffer_
  bool shownSaved_ = false;
  std::string longBefore_;  // Before's text for a word after a long gap
};

// A gap's bytes are not word bytes; runs of blanks in it may be cut to one.
inline std::string_view WordSplitter::Before(std::size_t start, std::size_t gapFrom) {
  const char* const buffer = buffer_.get();
  std::size_t gapStart = start;
  if (gapFrom != kUnknown) {
    gapStart = std::max(gapFrom, lineBegin_);
  } else {
    while (gapStart > lineBegin_ && start - gapStart <= kShortGap &&
           !IsWord(buffer[gapStart - 1])) {
      --gapStart;
    }
  }
  if (start - gapStart > kShortGap) {
    return LongGapBefore(start);
  }
  const std::size_t from = gapStart - std::min(gapStart - lineBegin_, context_);
  return {buffer + from, start - from};
}

inline std::uint64_t WordSplitter::WorthStarts(const KindMasks& kinds, std::size_t count) const {
  // The bytes of every set of kinds, made for the first four kinds and the last three apart, so
  // that each first kind's test is two loads and no loop.
  constexpr std::size_t kLowKinds = 4;
  std::array<std::uint64_t, 1 << kLowKinds> low{};
  for (std::size_t set = 1; set < low.size(); ++set) {
    low[set] = low[set & (set - 1)] | kinds[static_cast<std::size_t>(std::countr_zero(set))];
  }
  std::array<std::uint64_t, 1 << (kByteKinds - kLowKinds)> high{};
  for (std::size_t set = 1; set < high.size(); ++set) {
    high[set] =
        high[set & (set - 1)] | kinds[kLowKinds + static_cast<std::size_t>(std::countr_zero(set))];
  }
  const std::uint64_t knownNext = ~(std::uint64_t{1} << (count - 1));
  std::uint64_t worth = 0;
  for (const Exclusion& exclusion : exclusions_) {
    const std::uint64_t ruledOut =
        low[exclusion.seconds & (low.size() - 1)] | high[exclusion.seconds >> kLowKinds];
    worth |= kinds[exclusion.first] & ~((ruledOut >> 1) & knownNext);
  }
  return worth;
}

inline WordSplitter::BlockBits WordSplitter::Classify(const char* bytes, std::size_t count) const {
  BlockBits bits;
  KindMasks kinds{};
  const auto at = [](ByteKind kind) { return static_cast<std::size_t>(kind); };
#if defined(__SSE2__)
  if (count == 64) {
    // Letters are the bytes that OR 0x20 puts in 'a'..'z'; a range test is a signed compare
    // once the range is moved to the bottom of the signed bytes. A letter is lower case when
    // OR 0x20 leaves it as it is.
    std::uint64_t letter = 0;
    std::uint64_t hexLetter = 0;
    std::uint64_t lowerCase = 0;
    std::uint64_t digit = 0;
    std::uint64_t underscore = 0;
    const auto mask = [](__m128i v) {
      return std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(v))};
    };
    for (int part = 0; part < 4; ++part) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 16 * part));
      const __m128i lower = _mm_or_si128(v, _mm_set1_epi8(0x20));
      const __m128i moved = _mm_add_epi8(lower, _mm_set1_epi8(0x1F));
      const int shift = 16 * part;
      letter |= mask(_mm_cmplt_epi8(moved, _mm_set1_epi8(-128 + 26))) << shift;
      hexLetter |= mask(_mm_cmplt_epi8(moved, _mm_set1_epi8(-128 + 6))) << shift;
      lowerCase |= mask(_mm_cmpeq_epi8(v, lower)) << shift;
      digit |= mask(_mm_cmplt_epi8(_mm_add_epi8(v, _mm_set1_epi8(0x50)), _mm_set1_epi8(-128 + 10)))
               << shift;
      underscore |= mask(_mm_cmpeq_epi8(v, _mm_set1_epi8('_'))) << shift;
      bits.feed |= mask(_mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))) << shift;
    }
    bits.word = letter | digit | underscore;
    kinds[at(ByteKind::kDigit)] = digit;
    kinds[at(ByteKind::kUpperHex)] = hexLetter & ~lowerCase;
    kinds[at(ByteKind::kUpper)] = letter & ~hexLetter & ~lowerCase;
    kinds[at(ByteKind::kLowerHex)] = hexLetter & lowerCase;
    kinds[at(ByteKind::kLower)] = letter & ~hexLetter & lowerCase;
    kinds[at(ByteKind::kUnderscore)] = underscore;
    kinds[at(ByteKind::kOther)] = ~bits.word;
    bits.worth = WorthStarts(kinds, count);
    return bits;
  }
#endif
  for (std::size_t i = 0; i < count; ++i) {
    kinds[at(KindOf(bytes[i]))] |= std::uint64_t{1} << i;
    bits.feed |= std::uint64_t{bytes[i] == '\n'} << i;
  }
  bits.word = ~kinds[at(ByteKind::kOther)] &
              (count == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << count) - 1);
  bits.worth = WorthStarts(kinds, count);
  return bits;
}

template <typename Sink>
void WordSplitter::Split(bool last, Sink& sink) {
  const char* const buffer = buffer_.get();
  std::size_t from = scan_;
  if (skippingWord_) {
    while (from < end_ && IsWord(buffer[from])) {
      ++from;
    }
    skippingWord_ = from == end_ && !last;
  }
  // Blocks of 64 bytes as bit masks: a word starts where a word byte follows another byte, ends
  // where another byte follows a word byte. The loop runs per word start and line feed, not
  // per byte, and finds the end only of a word worth reading.
  constexpr std::size_t kNoWord = ~std::size_t{0};
  std::size_t wordStart = kNoWord;  // a word worth reading whose end is not yet found
  std::uint64_t carry = 0;          // the byte before the block is a word byte
  for (std::size_t block = from; block < end_; block += 64) {
    const std::size_t count = std::min<std::size_t>(64, end_ - block);
    const BlockBits bits = Classify(buffer + block, count);
    const std::uint64_t valid = count == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << count) - 1;
    const std::uint64_t previous = bits.word << 1 | carry;
    carry = bits.word >> 63;
    const std::uint64_t starts = bits.word & ~previous;
    const std::uint64_t ends = ~bits.word & previous & valid;
    if (wordStart != kNoWord && ends != 0) {
      const std::size_t wordEnd = block + static_cast<std::size_t>(std::countr_zero(ends));
      if (wordEnd - wordStart <= longest_ && !TakeWord(wordStart, wordEnd, last, sink)) {
        scan_ = wordStart;  // the bytes after it are still to come
        return;
      }
      wordStart = kNoWord;
    }
    // Only the starts of words that may be worth reading: the others are skipped whole.
    std::uint64_t events = (starts & bits.worth) | bits.feed;
    while (events != 0) {
      const int bit = std::countr_zero(events);
      events &= events - 1;
      const std::size_t at = block + static_cast<std::size_t>(bit);
      if ((bits.feed >> bit & 1) != 0) {
        EndLine(at, sink);
        continue;
      }
      const std::uint64_t after = ends >> bit;  // no end at the start itself
      if (after == 0) {
        wordStart = at;  // it goes on past this block
        break;
      }
      const std::size_t wordEnd = at + static_cast<std::size_t>(std::countr_zero(after));
      // The gap before the word starts where the word before it ends, when that is in the block.
      const std::uint64_t endsBefore = ends & ((std::uint64_t{1} << bit) - 1);
      const std::size_t gapFrom =
          endsBefore == 0 ? kUnknown
                          : block + 63 - static_cast<std::size_t>(std::countl_zero(endsBefore));
      if (wordEnd - at <= longest_ && !TakeWord(at, wordEnd, last, sink, gapFrom)) {
        scan_ = at;
        return;
      }
    }
  }
  scan_ = end_;
  if (wordStart == kNoWord) {
    // The rest of a word not worth reading may follow.
    if (from < end_) {
      skippingWord_ = !last && IsWord(buffer[end_ - 1]);
    }
    return;
  }
  // A word worth reading that reaches the end of what is read.
  if (end_ - wordStart > longest_) {
    skippingWord_ = !last;
  } else if (last) {
    TakeWord(wordStart, end_, last, sink);
  } else {
    scan_ = wordStart;
  }
}

// False when the word is not yet whole: more bytes may follow it or the two after it.
template <typename Sink>
inline bool WordSplitter::TakeWord(std::size_t start, std::size_t wordEnd, bool last, Sink& sink,
                                   std::size_t gapFrom) {
  const char* const buffer = buffer_.get();
  const std::string_view before = Before(start, gapFrom);
  const std::string_view text(buffer + start, wordEnd - start);
  if (!sink.Worth(before, text)) {
    return true;
  }
  if (!last && end_ - wordEnd < 2 && !(wordEnd < end_ && buffer[wordEnd] == '\n')) {
    return false;
  }
  std::size_t afterLength = std::min<std::size_t>(2, end_ - wordEnd);
  if (afterLength == 2 && buffer[wordEnd + 1] == '\n') {
    afterLength = 1;
  }
  if (afterLength > 0 && buffer[wordEnd] == '\n') {
    afterLength = 0;
  }
  const SplitWord word{line_, base_ + start - lineStart_ + lineCut_ + 1, before, text,
                       std::string_view(buffer + wordEnd, afterLength)};
  if (sink.Word(word)) {
    lineFound_ = true;
  }
  return true;
}

template <typename Sink>
void WordSplitter::EndLine(std::size_t at, Sink& sink) {
  if (lineFound_) {
    const std::uint64_t length = base_ + at - lineStart_ + lineCut_;
    const bool cut = length > kShownLimit;
    std::string_view shown =
        shownSaved_ ? std::string_view(shown_)
                    : std::string_view(
                          buffer_.get() + lineBegin_,
                          static_cast<std::size_t>(std::min<std::uint64_t>(length, kShownLimit)));
    // A line ends in CR LF on Windows; the CR is no part of what is shown.
    if (!cut && !shown.empty() && shown.back() == '\r') {
      shown.remove_suffix(1);
    }
    sink.LineEnd(line_, shown, cut);
  }
  ++line_;
  lineStart_ = base_ + at + 1;
  lineCut_ = 0;
  lineBegin_ = at + 1;
  lineFound_ = false;
  shownSaved_ = false;
  shown_.clear();
}

}  // namespace quillon
