#include "core/word_splitter.h"

#include <algorithm>
#include <cstdint>
#include <string>

#if QUILLON_WIDE_BLOCKS || QUILLON_SSE2_CHOSEN
#include <cpuid.h>
#endif

namespace quillon {

namespace {

// What the processor has of the loops the build holds.
struct VectorSupport {
  bool sse2 = false;        // asked only where the build does not assume it
  bool halfBlocks = false;  // AVX2
  bool blocks = false;      // AVX-512
  bool pairs = false;       // AVX-512 VBMI too
};

// Asked of the processor when a splitter is first made. __builtin_cpu_supports would have
// libgcc ask at every start of the program, a lookup's too, and in a virtual machine each
// CPUID instruction is a trip to the hypervisor.
VectorSupport AskProcessor() {
  VectorSupport support;
#if QUILLON_WIDE_BLOCKS || QUILLON_SSE2_CHOSEN
  unsigned a = 0;
  unsigned b = 0;
  unsigned c = 0;
  unsigned d = 0;
  if (__get_cpuid(1, &a, &b, &c, &d) == 0) {
    return support;
  }
  support.sse2 = QUILLON_SSE2_CHOSEN && (d & bit_SSE2) != 0;
#if QUILLON_WIDE_BLOCKS
  if ((c & bit_OSXSAVE) == 0 || (c & bit_POPCNT) == 0) {
    return support;
  }
  // The system must save the vector registers: XCR0's SSE and AVX state, and for AVX-512 its
  // opmask and both ZMM halves.
  unsigned low = 0;
  unsigned high = 0;
  __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
  constexpr unsigned kHalfWideState = 0x06;
  constexpr unsigned kWideState = 0xE6;
  // LZCNT counts a word's leading zeros in one instruction where BSR needs a test for zero.
  unsigned extended = 0;
  if (__get_cpuid(0x80000001, &a, &b, &extended, &d) == 0 || (extended & bit_LZCNT) == 0) {
    return support;
  }
  if ((low & kHalfWideState) != kHalfWideState || __get_cpuid_count(7, 0, &a, &b, &c, &d) == 0 ||
      (b & bit_BMI) == 0 || (b & bit_BMI2) == 0) {
    return support;
  }
  support.halfBlocks = (b & bit_AVX2) != 0;
  support.blocks =
      (low & kWideState) == kWideState && (b & bit_AVX512F) != 0 && (b & bit_AVX512BW) != 0;
  support.pairs = support.blocks && (c & bit_AVX512VBMI) != 0;
#endif
#endif
  return support;
}

const VectorSupport& Support() {
  static const VectorSupport support = AskProcessor();
  return support;
}

}  // namespace

bool WideBlocks() {
  return Support().blocks;
}

bool WidePairs() {
  return Support().pairs;
}

bool HalfWideBlocks() {
  return Support().halfBlocks;
}

bool Sse2Blocks() {
  return Support().sse2;
}

namespace {

constexpr std::size_t kPage = 4096;

// The first page boundary at least offset bytes into storage.
char* AfterOnPage(char* storage, std::size_t offset) {
  const auto at = reinterpret_cast<std::uintptr_t>(storage) + offset;
  return storage + (offset + (kPage - at % kPage) % kPage);
}

}  // namespace

// The most bytes Compact keeps: a line's start, or the context of the gap before scan_ and the
// gap cut short; then a word waiting for its end and the two bytes after it.
std::size_t WordSplitter::KeptBound(std::size_t context, std::size_t longest) {
  return std::max(kKeepLimit, context + kGapKept) + longest + 2;
}

char* SplitterMemory::Region(std::size_t index, std::size_t size) {
  if (sizes_[index] < size) {
    // Not zeroed: each byte is read into before it is looked at.
    storage_[index].reset(new char[size]);
    sizes_[index] = size;
  }
  return storage_[index].get();
}

char* WordSplitter::ReadPlace(SplitterMemory& memory, std::size_t index, std::size_t context,
                              std::size_t longest, std::size_t chunkSize) {
  const std::size_t front = KeptBound(context, longest);
  return AfterOnPage(memory.Region(index, front + kPage + chunkSize), front);
}

std::span<char> WordSplitter::FirstSpace(SplitterMemory& memory, std::size_t context,
                                         std::size_t longest, std::size_t chunkSize) {
  return {ReadPlace(memory, 0, context, longest, chunkSize), chunkSize};
}

WordSplitter::Region WordSplitter::MakeRegion(std::size_t index) {
  return {ReadPlace(memory_, index, context_, longest_, chunkSize_)};
}

void WordSplitter::ReadWhileSplitting() {
  if (regions_[1].readAt == nullptr) {
    regions_[1] = MakeRegion(1);
  }
  alternate_ = true;
}

WordSplitter::WordSplitter(std::size_t context, std::size_t longest, std::size_t chunkSize,
                           std::uint64_t firstLine, SplitterMemory* memory, std::size_t firstOffset)
    : context_(context),
      longest_(longest),
      memory_(memory != nullptr ? *memory : ownMemory_),
      chunkSize_(chunkSize),
      regions_{MakeRegion(0)},
      buffer_(regions_[0].readAt + firstOffset),
      line_(firstLine) {
  for (int c = 0; c < 256; ++c) {
    wordBytes_[static_cast<std::size_t>(c)] =
        (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
  }
}

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// The end of gap with each run of blanks cut to one (its last): at most limit + 1 bytes, so
// that a longer one shows as such. Read from the end, so a gap of any length costs no memory.
std::string ShortenedEnd(std::string_view gap, std::size_t limit) {
  std::string reversed;
  for (std::size_t i = gap.size(); i > 0 && reversed.size() <= limit; --i) {
    const char c = gap[i - 1];
    if (!(IsBlank(c) && i < gap.size() && IsBlank(gap[i]))) {
      reversed += c;
    }
  }
  return {reversed.rbegin(), reversed.rend()};
}

}  // namespace

std::string_view WordSplitter::LongGapBefore(std::size_t start) {
  const char* const buffer = buffer_;
  std::size_t gapStart = start;
  while (gapStart > lineBegin_ && !IsWord(buffer[gapStart - 1])) {
    --gapStart;
  }
  longBefore_ = ShortenedEnd({buffer + gapStart, start - gapStart}, kGapKept);
  if (longBefore_.size() > kGapKept) {
    longBefore_.erase(0, longBefore_.size() - kGapKept);
  } else {
    const std::size_t from = gapStart - std::min(gapStart - lineBegin_, context_);
    longBefore_.insert(0, buffer + from, gapStart - from);
  }
  return longBefore_;
}

void WordSplitter::Compact() {
  KeepFront();
  // The bytes kept end where the next read goes.
  if (alternate_) {
    region_ = 1 - region_;
  }
  char* const to = regions_[region_].readAt - end_;
  std::memmove(to, buffer_, end_);
  buffer_ = to;
}

void WordSplitter::KeepFront() {
  char* const buffer = buffer_;
  const bool lineHere = lineStart_ >= base_;
  const std::size_t lineStart = lineHere ? static_cast<std::size_t>(lineStart_ - base_) : 0;
  if (lineHere && scan_ - lineStart <= kKeepLimit) {
    // The whole line so far stays, for what is shown of it.
    std::memmove(buffer, buffer + lineStart, end_ - lineStart);
    lineBegin_ = 0;
    base_ += lineStart;
    end_ -= lineStart;
    scan_ -= lineStart;
    return;
  }
  if (lineHere && !shownSaved_) {
    // The line's start leaves the buffer: what is shown of it stays.
    shown_.assign(buffer + lineStart, std::min(kShownLimit, end_ - lineStart));
    shownSaved_ = true;
  }
  // What the words ahead need: the gap before scan_, its blanks cut short, and the end of the
  // word before it. The gap may go on in the next bytes.
  std::size_t gapStart = scan_;
  while (gapStart > lineStart && !IsWord(buffer[gapStart - 1])) {
    --gapStart;
  }
  const std::string gap = ShortenedEnd({buffer + gapStart, scan_ - gapStart}, kGapKept);
  const bool gapCut = gap.size() > kGapKept;
  const std::size_t keepFrom =
      gapCut ? gapStart : gapStart - std::min(gapStart - lineStart, context_);
  std::memmove(buffer, buffer + keepFrom, gapStart - keepFrom);
  std::size_t kept = gapStart - keepFrom;
  const std::size_t gapKept = gapCut ? kGapKept : gap.size();
  std::memcpy(buffer + kept, gap.data() + gap.size() - gapKept, gapKept);
  kept += gapKept;
  std::memmove(buffer + kept, buffer + scan_, end_ - scan_);
  lineCut_ += scan_ - keepFrom - kept;
  lineBegin_ = 0;
  base_ += keepFrom;
  end_ = kept + end_ - scan_;
  scan_ = kept;
}

}  // namespace quillon
