// Cuts a stream of text into lines and words (runs of letters, digits and '_'), each with the
// bytes of its line around it, whatever the sizes of the pieces the stream comes in. It knows
// nothing of codes: a sink says, from each block's masks, which words are worth reading.
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

#if defined(__SSE2__)
#include <emmintrin.h>
#define QUILLON_SSE2_TARGET
#elif defined(__i386__) && defined(__GNUC__) && !defined(__clang__)
// 32-bit x86 code, which may run where there is no SSE2: 16 bytes at a time chosen as the
// program runs (GCC's intrinsics serve a function compiled for SSE2 in any build).
#include <emmintrin.h>
#define QUILLON_SSE2_CHOSEN 1
#define QUILLON_SSE2_TARGET [[gnu::target("sse2")]]
#endif
#if !defined(QUILLON_SSE2_CHOSEN)
#define QUILLON_SSE2_CHOSEN 0
#endif
// 64 bytes in one register where the processor has AVX-512, chosen as the program runs: the
// 64-bit builds of GCC and Clang only (not the browser's, nor the 32-bit Windows one).
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__)) && !defined(__EMSCRIPTEN__)
#define QUILLON_WIDE_BLOCKS 1
#include <immintrin.h>
#else
#define QUILLON_WIDE_BLOCKS 0
#endif

namespace quillon {

// One block of up to 64 bytes as bit masks, bit i for byte i; no bits past its bytes.
struct ByteMasks {
  std::uint64_t digit = 0;
  std::uint64_t upper = 0;  // A to Z
  std::uint64_t lower = 0;  // a to z
  std::uint64_t underscore = 0;
  std::uint64_t feed = 0;       // line feeds
  std::uint64_t hexLetter = 0;  // A to F, a to f
  std::uint64_t minus = 0;      // '-'
  std::uint64_t capitalW = 0;   // 'W', which begins Winsock's names
  // Where byte i ends one of the sink's letter pairs (LetterPairs) begun by byte i - 1; bit 0
  // wherever byte 0 may end one. Only where pairsTold: none otherwise.
  std::uint64_t pairEnd = 0;
  bool pairsTold = false;

  std::uint64_t Letter() const { return upper | lower; }
  std::uint64_t Word() const { return digit | upper | lower | underscore; }
};

// Pairs of letters (any case) a sink may have the splitter mark in each block: (a, b) is one
// where first[a] and last[b] share a bit, so that up to eight sets of pairs are told at once.
struct LetterPairs {
  std::array<std::uint8_t, 26> first{};
  std::array<std::uint8_t, 26> last{};
};

// What a sink is shown of a block to pick the words worth reading, without reading them: the
// block's masks and those of the blocks beside it, each of which may be unknown.
struct BlockView {
  // The block's bytes, for a look at a few of them and at those before, from earliest on.
  const char* bytes = nullptr;
  const char* earliest = nullptr;
  ByteMasks before;  // unknown: no word bytes
  ByteMasks here;
  ByteMasks after;           // unknown: none set; the splitter then hands over every word cut there
  std::uint64_t starts = 0;  // where the block's words start
  // Word starts whose word before (across any bytes between but a line feed) ends in a letter,
  // and where the block's letter pairs are told, in one of them; all starts whose word before
  // is not known.
  std::uint64_t afterLetter = 0;
};

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

// The bits set in bits, with no call: std::popcount is one without a POPCNT instruction.
constexpr std::uint64_t CountBits(std::uint64_t bits) {
  bits -= bits >> 1 & 0x5555555555555555u;
  bits = (bits & 0x3333333333333333u) + (bits >> 2 & 0x3333333333333333u);
  bits = (bits + (bits >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
  return bits * 0x0101010101010101u >> 56;
}

// The masks of count (at most 64) bytes, byte by byte.
inline ByteMasks ClassifyBytes(const char* bytes, std::size_t count) {
  ByteMasks masks;
  for (std::size_t i = 0; i < count; ++i) {
    const char c = bytes[i];
    const std::uint64_t bit = std::uint64_t{1} << i;
    masks.digit |= c >= '0' && c <= '9' ? bit : 0;
    masks.upper |= c >= 'A' && c <= 'Z' ? bit : 0;
    masks.lower |= c >= 'a' && c <= 'z' ? bit : 0;
    masks.underscore |= c == '_' ? bit : 0;
    masks.feed |= c == '\n' ? bit : 0;
    masks.hexLetter |= (c | 0x20) >= 'a' && (c | 0x20) <= 'f' ? bit : 0;
    masks.minus |= c == '-' ? bit : 0;
    masks.capitalW |= c == 'W' ? bit : 0;
  }
  return masks;
}

#if defined(__SSE2__) || QUILLON_SSE2_CHOSEN
// A movemask's bits of 16 bytes.
QUILLON_SSE2_TARGET inline std::uint64_t Sse2Mask(__m128i v) {
  return std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(v))};
}

// The same as ClassifyBytes, 16 bytes at a time.
QUILLON_SSE2_TARGET inline ByteMasks ClassifySse2Block(const char* bytes, std::size_t count) {
  if (count != 64) {
    return ClassifyBytes(bytes, count);
  }
  // Letters are the bytes that OR 0x20 puts in 'a'..'z'; a range test is a signed compare
  // once the range is moved to the bottom of the signed bytes. A letter is lower case when
  // OR 0x20 leaves it as it is.
  ByteMasks masks;
  for (int part = 0; part < 4; ++part) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 16 * part));
    const __m128i lower = _mm_or_si128(v, _mm_set1_epi8(0x20));
    const __m128i moved = _mm_add_epi8(lower, _mm_set1_epi8(0x1F));
    const __m128i letter = _mm_cmplt_epi8(moved, _mm_set1_epi8(-128 + 26));
    const __m128i lowerCase = _mm_cmpeq_epi8(v, lower);
    const int shift = 16 * part;
    masks.upper |= Sse2Mask(_mm_andnot_si128(lowerCase, letter)) << shift;
    masks.lower |= Sse2Mask(_mm_and_si128(lowerCase, letter)) << shift;
    masks.digit |=
        Sse2Mask(_mm_cmplt_epi8(_mm_add_epi8(v, _mm_set1_epi8(0x50)), _mm_set1_epi8(-128 + 10)))
        << shift;
    masks.underscore |= Sse2Mask(_mm_cmpeq_epi8(v, _mm_set1_epi8('_'))) << shift;
    masks.feed |= Sse2Mask(_mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))) << shift;
    masks.hexLetter |= Sse2Mask(_mm_cmplt_epi8(moved, _mm_set1_epi8(-128 + 6))) << shift;
    masks.minus |= Sse2Mask(_mm_cmpeq_epi8(v, _mm_set1_epi8('-'))) << shift;
    masks.capitalW |= Sse2Mask(_mm_cmpeq_epi8(v, _mm_set1_epi8('W'))) << shift;
  }
  return masks;
}
#endif

// The masks of a block, 16 bytes at a time where every processor of the build can.
inline ByteMasks ClassifyBlock(const char* bytes, std::size_t count) {
#if defined(__SSE2__)
  return ClassifySse2Block(bytes, count);
#else
  return ClassifyBytes(bytes, count);
#endif
}

#if QUILLON_WIDE_BLOCKS
// A movemask's bits of 32 bytes.
[[gnu::target("avx2")]] inline std::uint64_t HalfBlockMask(__m256i v) {
  return std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(v))};
}

// The same as ClassifyBlock, 32 bytes at a time. Only where HalfWideBlocks() holds.
[[gnu::target("avx2")]] inline ByteMasks ClassifyHalfWideBlock(const char* bytes,
                                                               std::size_t count) {
  if (count != 64) {
    return ClassifyBytes(bytes, count);
  }
  ByteMasks masks;
  for (int half = 0; half < 2; ++half) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + 32 * half));
    const __m256i lower = _mm256_or_si256(v, _mm256_set1_epi8(0x20));
    const __m256i moved = _mm256_add_epi8(lower, _mm256_set1_epi8(0x1F));
    const __m256i letter = _mm256_cmpgt_epi8(_mm256_set1_epi8(-128 + 26), moved);
    const __m256i lowerCase = _mm256_cmpeq_epi8(v, lower);
    const int shift = 32 * half;
    masks.upper |= HalfBlockMask(_mm256_andnot_si256(lowerCase, letter)) << shift;
    masks.lower |= HalfBlockMask(_mm256_and_si256(lowerCase, letter)) << shift;
    masks.digit |= HalfBlockMask(_mm256_cmpgt_epi8(_mm256_set1_epi8(-128 + 10),
                                                   _mm256_add_epi8(v, _mm256_set1_epi8(0x50))))
                   << shift;
    masks.underscore |= HalfBlockMask(_mm256_cmpeq_epi8(v, _mm256_set1_epi8('_'))) << shift;
    masks.feed |= HalfBlockMask(_mm256_cmpeq_epi8(v, _mm256_set1_epi8('\n'))) << shift;
    masks.hexLetter |= HalfBlockMask(_mm256_cmpgt_epi8(_mm256_set1_epi8(-128 + 6), moved)) << shift;
    masks.minus |= HalfBlockMask(_mm256_cmpeq_epi8(v, _mm256_set1_epi8('-'))) << shift;
    masks.capitalW |= HalfBlockMask(_mm256_cmpeq_epi8(v, _mm256_set1_epi8('W'))) << shift;
  }
  return masks;
}

// A letter's classes of pairs by its lower case's low four bits, for a byte shuffle: one table
// for 'a' to 'o' (0x61 to 0x6F), one for 'p' to 'z' (0x70 to 0x7A), each in both lanes.
struct HalfWidePairTables {
  alignas(32) std::array<std::uint8_t, 32> first{};  // 'a' to 'o'
  alignas(32) std::array<std::uint8_t, 32> firstHigh{};
  alignas(32) std::array<std::uint8_t, 32> last{};
  alignas(32) std::array<std::uint8_t, 32> lastHigh{};
};

constexpr HalfWidePairTables MakeHalfWidePairTables(const LetterPairs& pairs) {
  HalfWidePairTables tables;
  for (std::size_t letter = 0; letter < 26; ++letter) {
    const std::size_t c = 'a' + letter;
    auto& first = c < 0x70 ? tables.first : tables.firstHigh;
    auto& last = c < 0x70 ? tables.last : tables.lastHigh;
    first[c & 15] = first[16 + (c & 15)] = pairs.first[letter];
    last[c & 15] = last[16 + (c & 15)] = pairs.last[letter];
  }
  return tables;
}

[[gnu::target("avx2")]] inline __m256i LoadTable(const std::array<std::uint8_t, 32>& table) {
  return _mm256_load_si256(reinterpret_cast<const __m256i*>(table.data()));
}

// The masks with the sink's letter pairs marked, 32 bytes at a time: a letter's classes from two
// byte shuffles, the first letters' moved one byte up across the lanes. Only where
// HalfWideBlocks() holds; a block of fewer bytes has its pairs left untold.
template <const LetterPairs& kPairs>
[[gnu::target("avx2")]] inline ByteMasks ClassifyHalfWidePairsBlock(const char* bytes,
                                                                    std::size_t count) {
  static constexpr HalfWidePairTables kTables = MakeHalfWidePairTables(kPairs);
  ByteMasks masks = ClassifyHalfWideBlock(bytes, count);
  if (count != 64) {
    return masks;
  }
  // Byte 0 has all classes before it: it is marked wherever it may end a pair.
  __m256i firstBefore = _mm256_set1_epi8(-1);
  std::uint64_t pairs = 0;
  for (int half = 0; half < 2; ++half) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + 32 * half));
    // A letter's lower case is under 0x80, as a shuffle needs; bit 4 tells 'p' to 'z'.
    const __m256i lowered = _mm256_or_si256(v, _mm256_set1_epi8(0x20));
    const __m256i high = _mm256_slli_epi16(lowered, 3);
    const __m256i first =
        _mm256_blendv_epi8(_mm256_shuffle_epi8(LoadTable(kTables.first), lowered),
                           _mm256_shuffle_epi8(LoadTable(kTables.firstHigh), lowered), high);
    const __m256i last =
        _mm256_blendv_epi8(_mm256_shuffle_epi8(LoadTable(kTables.last), lowered),
                           _mm256_shuffle_epi8(LoadTable(kTables.lastHigh), lowered), high);
    // [the byte before the half, first's bytes 0 to 30]
    const __m256i moved =
        _mm256_alignr_epi8(first, _mm256_permute2x128_si256(first, firstBefore, 0x03), 15);
    const __m256i none = _mm256_cmpeq_epi8(_mm256_and_si256(moved, last), _mm256_setzero_si256());
    pairs |= (~HalfBlockMask(none) & 0xFFFFFFFFu) << (32 * half);
    firstBefore = first;
  }
  const std::uint64_t letter = masks.Letter();
  masks.pairEnd = pairs & letter & (letter << 1 | 1);
  masks.pairsTold = true;
  return masks;
}

// Up to 64 bytes in one register, zeros past them (in no class).
[[gnu::target("avx512bw")]] inline __m512i LoadWideBlock(const char* bytes, std::size_t count) {
  const __mmask64 present = count >= 64 ? ~__mmask64{0} : (__mmask64{1} << count) - 1;
  return _mm512_maskz_loadu_epi8(present, bytes);
}

// The masks of a block's 64 bytes in a register, in a few compares, each giving its mask.
[[gnu::target("avx512bw")]] inline ByteMasks WideMasks(__m512i v) {
  const __m512i lowered = _mm512_or_si512(v, _mm512_set1_epi8(0x20));
  const __m512i fromA = _mm512_sub_epi8(lowered, _mm512_set1_epi8('a'));
  const __mmask64 letter = _mm512_cmplt_epu8_mask(fromA, _mm512_set1_epi8(26));
  const __mmask64 lowerCase = _mm512_cmpeq_epi8_mask(v, lowered);
  ByteMasks masks;
  masks.upper = letter & ~lowerCase;
  masks.lower = letter & lowerCase;
  masks.digit =
      _mm512_cmplt_epu8_mask(_mm512_sub_epi8(v, _mm512_set1_epi8('0')), _mm512_set1_epi8(10));
  masks.underscore = _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8('_'));
  masks.feed = _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8('\n'));
  masks.hexLetter = _mm512_cmplt_epu8_mask(fromA, _mm512_set1_epi8(6));
  masks.minus = _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8('-'));
  masks.capitalW = _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8('W'));
  return masks;
}

// The same as ClassifyBytes, all 64 bytes at once. Only where WideBlocks() holds.
[[gnu::target("avx512bw")]] inline ByteMasks ClassifyWideBlock(const char* bytes,
                                                               std::size_t count) {
  return WideMasks(LoadWideBlock(bytes, count));
}

// A letter's classes of pairs by its lower case's low six bits, where a byte permute looks
// them up; and the permute that moves each byte one place up.
struct WidePairTables {
  alignas(64) std::array<std::uint8_t, 64> first{};
  alignas(64) std::array<std::uint8_t, 64> last{};
  alignas(64) std::array<std::uint8_t, 64> previous{};
};

constexpr WidePairTables MakeWidePairTables(const LetterPairs& pairs) {
  WidePairTables tables;
  for (std::size_t letter = 0; letter < 26; ++letter) {
    tables.first[('a' + letter) & 63] = pairs.first[letter];
    tables.last[('a' + letter) & 63] = pairs.last[letter];
  }
  for (std::size_t i = 0; i < 64; ++i) {
    tables.previous[i] = static_cast<std::uint8_t>((i + 63) % 64);
  }
  return tables;
}

// The masks with the sink's letter pairs marked: three byte permutes and a test. Only where
// WidePairs() holds.
template <const LetterPairs& kPairs>
[[gnu::target("avx512bw,avx512vbmi")]] inline ByteMasks ClassifyWidePairsBlock(const char* bytes,
                                                                               std::size_t count) {
  static constexpr WidePairTables kTables = MakeWidePairTables(kPairs);
  // Zero-masked permutes: GCC warns of the undefined value the plain one starts from.
  constexpr __mmask64 kAll = ~__mmask64{0};
  const __m512i v = LoadWideBlock(bytes, count);
  ByteMasks masks = WideMasks(v);
  const __m512i lowered = _mm512_or_si512(v, _mm512_set1_epi8(0x20));
  const __m512i first =
      _mm512_maskz_permutexvar_epi8(kAll, lowered, _mm512_load_si512(kTables.first.data()));
  const __m512i last =
      _mm512_maskz_permutexvar_epi8(kAll, lowered, _mm512_load_si512(kTables.last.data()));
  const __m512i firstBefore =
      _mm512_maskz_permutexvar_epi8(kAll, _mm512_load_si512(kTables.previous.data()), first);
  const std::uint64_t letter = masks.Letter();
  masks.pairEnd = (_mm512_test_epi8_mask(firstBefore, last) & letter & letter << 1) |
                  (_mm512_test_epi8_mask(last, last) & letter & 1);
  masks.pairsTold = true;
  return masks;
}
#endif

// Whether ClassifyWideBlock, and the loop compiled for it, may run here.
bool WideBlocks();
// Whether ClassifySse2Block may run here where the build does not assume it.
bool Sse2Blocks();
// Whether ClassifyHalfWideBlock, and the loop compiled for it, may run here.
bool HalfWideBlocks();
// Whether ClassifyWidePairsBlock may run here too.
bool WidePairs();

// A sink that has its letter pairs marked (static constexpr LetterPairs kLetterPairs).
template <typename Sink>
concept MarksLetterPairs = requires {
  Sink::kLetterPairs;
};

// The memory a splitter reads into. It may outlive the splitter: a scan of many inputs, or of a
// file's pieces, makes it once rather than taking fresh pages from the system for each, which
// cost more than a megabyte's scan of a log.
class SplitterMemory {
 public:
  // At least size bytes for region index (0 or 1): those of the last splitter where enough.
  char* Region(std::size_t index, std::size_t size);

 private:
  std::array<std::unique_ptr<char[]>, 2> storage_;
  std::array<std::size_t, 2> sizes_{};
};

// A Sink has:
//   std::uint64_t Starts(const BlockView&)  of the block's word starts, those that may be worth
//       reading: the others are skipped whole
//   and may have static constexpr LetterPairs kLetterPairs, marked in the masks where the
//       processor can do it at little cost (ByteMasks::pairsTold)
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

  // Words are handed over with up to context bytes of the line before their gap, and only while
  // they are at most longest bytes long. chunkSize: the least room Space gives. firstLine: the
  // number of the stream's first line, which need not be its text's first. memory: where it
  // reads, kept by the caller for the next splitter (it outlives this one); null: its own.
  // firstOffset: how far into FirstSpace the first Space starts (less than chunkSize).
  WordSplitter(std::size_t context, std::size_t longest, std::size_t chunkSize = kChunkSize,
               std::uint64_t firstLine = 1, SplitterMemory* memory = nullptr,
               std::size_t firstOffset = 0);

  // Where a splitter made with memory and these sizes reads first: bytes read there before it
  // is made need not be copied (its first Space starts there, or firstOffset bytes on).
  static std::span<char> FirstSpace(SplitterMemory& memory, std::size_t context,
                                    std::size_t longest, std::size_t chunkSize);

  // Room for the next bytes, at least the chunk size; Commit then takes count of them.
  std::span<char> Space() {
    return {buffer_ + end_,
            static_cast<std::size_t>(regions_[region_].readAt + chunkSize_ - (buffer_ + end_))};
  }
  // From now on each Commit leaves the bytes it keeps in the other of two regions, so that the
  // bytes after them may be read while it splits: into NextSpace() (only once this was asked),
  // which the Commit does not touch and the next Space() starts with.
  void ReadWhileSplitting();
  std::span<char> NextSpace() const { return {regions_[1 - region_].readAt, chunkSize_}; }
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

  template <typename Sink>
  void Split(bool last, Sink& sink) {
#if QUILLON_WIDE_BLOCKS
    if constexpr (MarksLetterPairs<Sink>) {
      if (widePairs_) {
        SplitWidePairs(last, sink);
        return;
      }
    }
    if (wide_) {
      SplitWide(last, sink);
      return;
    }
    if (halfWide_) {
      SplitHalfWide(last, sink);
      return;
    }
#endif
#if QUILLON_SSE2_CHOSEN
    if (sse2_) {
      SplitSse2(last, sink);
      return;
    }
#endif
    SplitWith<ClassifyBlock>(last, sink);
  }
#if QUILLON_SSE2_CHOSEN
  template <typename Sink>
  [[gnu::target("sse2")]] void SplitSse2(bool last, Sink& sink) {
    SplitWith<ClassifySse2Block>(last, sink);
  }
#endif
#if QUILLON_WIDE_BLOCKS
  // The whole loop compiled for the processors that have AVX-512 (or AVX2), so that the
  // classification inlines into it.
  template <typename Sink>
  [[gnu::target("avx512bw,bmi,bmi2,lzcnt,popcnt")]] void SplitWide(bool last, Sink& sink) {
    SplitWith<ClassifyWideBlock>(last, sink);
  }
  // Every processor with AVX2 can mark a sink's letter pairs.
  template <typename Sink>
  [[gnu::target("avx2,bmi,bmi2,lzcnt,popcnt")]] void SplitHalfWide(bool last, Sink& sink) {
    if constexpr (MarksLetterPairs<Sink>) {
      SplitWith<ClassifyHalfWidePairsBlock<Sink::kLetterPairs>>(last, sink);
    } else {
      SplitWith<ClassifyHalfWideBlock>(last, sink);
    }
  }
  template <typename Sink>
  [[gnu::target("avx512bw,avx512vbmi,bmi,bmi2,lzcnt,popcnt")]] void SplitWidePairs(bool last,
                                                                                   Sink& sink) {
    SplitWith<ClassifyWidePairsBlock<Sink::kLetterPairs>>(last, sink);
  }
#endif
  template <ByteMasks (*Classify)(const char*, std::size_t), typename Sink>
  [[gnu::always_inline]] void SplitWith(bool last, Sink& sink);
  // Inlined: it runs for most words.
  template <typename Sink>
  // gapFrom: where the gap before the word starts when the block's masks tell, else kUnknown.
  [[gnu::always_inline]] bool TakeWord(std::size_t start, std::size_t wordEnd, bool last,
                                       Sink& sink, std::size_t gapFrom = kUnknown);
  template <typename Sink>
  void EndLine(std::size_t at, Sink& sink);
  // The next line starts after the line feed at at.
  void StartLineAfter(std::size_t at);
  // The word at start's SplitWord::before; a view into the buffer unless its gap is long.
  std::string_view Before(std::size_t start, std::size_t gapFrom);
  std::string_view LongGapBefore(std::size_t start);
  // Keeps only what the bytes ahead need, at buffer_'s start; Compact then moves it before
  // the read place of its region, or of the other one.
  void Compact();
  void KeepFront();
  static std::size_t KeptBound(std::size_t context, std::size_t longest);

  // Ends the lines whose line feeds feeds marks in the block at block. Inlined: it runs for
  // nearly every block, and most lines hold no finding.
  template <typename Sink>
  [[gnu::always_inline]] void EndLines(std::size_t block, std::uint64_t feeds, Sink& sink);

  std::array<bool, 256> wordBytes_{};
  bool wide_ = WideBlocks();
  bool widePairs_ = WidePairs();
  bool halfWide_ = HalfWideBlocks();
  bool sse2_ = Sse2Blocks();
  std::size_t context_;
  std::size_t longest_;
  // Where each read goes once the bytes kept are moved before it: on a page boundary, which
  // the kernel copies a file's pages to fastest.
  struct Region {
    char* readAt = nullptr;
  };
  Region MakeRegion(std::size_t index);
  static char* ReadPlace(SplitterMemory& memory, std::size_t index, std::size_t context,
                         std::size_t longest, std::size_t chunkSize);

  SplitterMemory ownMemory_;  // where none is lent
  SplitterMemory& memory_;
  std::size_t chunkSize_;
  std::array<Region, 2> regions_;
  std::size_t region_ = 0;  // the one buffer_ is in
  bool alternate_ = false;
  char* buffer_;               // the bytes kept, then those read
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
  const char* const buffer = buffer_;
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

template <ByteMasks (*Classify)(const char*, std::size_t), typename Sink>
inline void WordSplitter::SplitWith(bool last, Sink& sink) {
  const char* const buffer = buffer_;
  std::size_t from = scan_;
  if (skippingWord_) {
    while (from < end_ && IsWord(buffer[from])) {
      ++from;
    }
    skippingWord_ = from == end_ && !last;
  }
  // Blocks of 64 bytes as bit masks: a word starts where a word byte follows another byte, ends
  // where another byte follows a word byte. The loop runs per word the sink picks and per line
  // with a finding, not per byte, and finds the end only of a word worth reading.
  constexpr std::size_t kNoWord = ~std::size_t{0};
  std::size_t wordStart = kNoWord;  // a word worth reading whose end is not yet found
  std::uint64_t carry = 0;          // the byte before the block is a word byte
  // What is before the first block is not known: no word bytes, a letter before it.
  BlockView view;
  std::uint64_t letterCarry = 1;  // the byte before the block is a letter (ending a pair)
  std::uint64_t gapCarry = 1;     // the block starts in a gap after a word ending in a letter
  if (from < end_) {
    view.after = Classify(buffer + from, std::min<std::size_t>(64, end_ - from));
  }
  for (std::size_t block = from; block < end_; block += 64) {
    const std::size_t count = std::min<std::size_t>(64, end_ - block);
    view.here = view.after;
    const std::size_t next = block + count;
    // Bytes after the last read may still come: then the words cut there are all handed over.
    const bool afterKnown = last || end_ - next >= 64;
    view.after =
        next < end_ ? Classify(buffer + next, std::min<std::size_t>(64, end_ - next)) : ByteMasks{};
    const std::uint64_t valid = count == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << count) - 1;
    const std::uint64_t word = view.here.Word();
    const std::uint64_t previous = word << 1 | carry;
    carry = word >> 63;
    const std::uint64_t starts = word & ~previous;
    const std::uint64_t ends = ~word & previous & valid;
    if (wordStart != kNoWord && ends != 0) {
      const std::size_t wordEnd = block + static_cast<std::size_t>(std::countr_zero(ends));
      if (wordEnd - wordStart <= longest_ && !TakeWord(wordStart, wordEnd, last, sink)) {
        scan_ = wordStart;  // the bytes after it are still to come
        return;
      }
      wordStart = kNoWord;
    }
    // The gaps that follow a word ending in a letter (a pair, where told), carried through by an
    // add: each such gap sets the bit of the word start after it.
    const std::uint64_t letter = view.here.pairsTold ? view.here.pairEnd : view.here.Letter();
    const std::uint64_t gapBytes = ~word & ~view.here.feed;  // a keyword is on its number's line
    const std::uint64_t letterGaps =
        (ends & (letter << 1 | letterCarry)) | (gapCarry & gapBytes & 1);
    const std::uint64_t sum = letterGaps + gapBytes;
    view.afterLetter = ((sum & ~gapBytes) | (gapCarry & 1)) & starts;
    gapCarry = sum < letterGaps ? 1 : 0;
    letterCarry = letter >> 63;
    view.bytes = buffer + block;
    view.earliest = buffer;
    view.starts = starts;
    std::uint64_t picked = sink.Starts(view);
    if (!afterKnown) {
      const std::uint64_t upToLastEnd = ends == 0 ? 0 : ~std::uint64_t{0} >> std::countl_zero(ends);
      picked |= starts & ~upToLastEnd;
    }
    view.before = view.here;
    // Only the starts of words that may be worth reading: the others are skipped whole. Lines
    // without findings end in bulk.
    std::uint64_t feeds = view.here.feed;
    while (picked != 0) {
      const int bit = std::countr_zero(picked);
      picked &= picked - 1;
      const std::uint64_t below = (std::uint64_t{1} << bit) - 1;
      if ((feeds & below) != 0) {
        EndLines(block, feeds & below, sink);
        feeds &= ~below;
      }
      const std::size_t at = block + static_cast<std::size_t>(bit);
      const std::uint64_t after = ends >> bit;  // no end at the start itself
      if (after == 0) {
        wordStart = at;  // it goes on past this block
        break;
      }
      const std::size_t wordEnd = at + static_cast<std::size_t>(std::countr_zero(after));
      // The gap before the word starts where the word before it ends, when that is in the block.
      const std::uint64_t endsBefore = ends & below;
      const std::size_t gapFrom =
          endsBefore == 0 ? kUnknown
                          : block + 63 - static_cast<std::size_t>(std::countl_zero(endsBefore));
      if (wordEnd - at <= longest_ && !TakeWord(at, wordEnd, last, sink, gapFrom)) {
        scan_ = at;
        return;
      }
    }
    if (feeds != 0) {
      EndLines(block, feeds, sink);
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
  const char* const buffer = buffer_;
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
inline void WordSplitter::EndLines(std::size_t block, std::uint64_t feeds, Sink& sink) {
  if (lineFound_) {
    EndLine(block + static_cast<std::size_t>(std::countr_zero(feeds)), sink);
    feeds &= feeds - 1;
    if (feeds == 0) {
      return;
    }
  }
  // No line among them holds a finding: only the last one's end is kept, as EndLine keeps it.
  line_ += CountBits(feeds);
  StartLineAfter(block + 63 - static_cast<std::size_t>(std::countl_zero(feeds)));
}

inline void WordSplitter::StartLineAfter(std::size_t at) {
  lineStart_ = base_ + at + 1;
  lineCut_ = 0;
  lineBegin_ = at + 1;
  lineFound_ = false;
  if (shownSaved_) {
    shownSaved_ = false;
    shown_.clear();
  }
}

template <typename Sink>
void WordSplitter::EndLine(std::size_t at, Sink& sink) {
  if (lineFound_) {
    const std::uint64_t length = base_ + at - lineStart_ + lineCut_;
    const bool cut = length > kShownLimit;
    std::string_view shown =
        shownSaved_ ? std::string_view(shown_)
                    : std::string_view(
                          buffer_ + lineBegin_,
                          static_cast<std::size_t>(std::min<std::uint64_t>(length, kShownLimit)));
    // A line ends in CR LF on Windows; the CR is no part of what is shown.
    if (!cut && !shown.empty() && shown.back() == '\r') {
      shown.remove_suffix(1);
    }
    sink.LineEnd(line_, shown, cut);
  }
  ++line_;
  StartLineAfter(at);
}

}  // namespace quillon
