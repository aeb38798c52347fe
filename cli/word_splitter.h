// Cuts a stream of text into lines and words (runs of letters, digits and '_'), each with the
// bytes of its line around it, whatever the sizes of the pieces the stream comes in. It knows
// nothing of codes: a sink says which words it read and which first bytes are worth reading.
// Memory stays bounded however long a line or a word is.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace quillon {

struct SplitWord {
  std::uint64_t line = 0;    // 1-based
  std::uint64_t column = 0;  // 1-based, in bytes
  std::string_view before;   // up to the splitter's context of the line before the word
  std::string_view text;
  std::string_view after;  // up to two bytes of the line after the word
};

// A Sink has:
//   bool Word(const SplitWord&)  true when the word was a finding, so its line is shown
//   void LineEnd(std::uint64_t line, std::string_view shown, bool cut)
//       at the end of every line that held a finding: its first bytes, without a CR that
//       ends it; cut when the line was longer
class WordSplitter {
 public:
  static constexpr std::size_t kShownLimit = 240;
  static constexpr std::size_t kChunkSize = 1 << 20;

  // mayStart: whether a word that starts with the byte is worth reading; others are skipped
  // whole. Words are handed over with up to context bytes before them, and only while they
  // are at most longest bytes long.
  WordSplitter(bool (*mayStart)(char), std::size_t context, std::size_t longest);

  // Room for the next bytes, at least kChunkSize; Commit then takes count of them.
  std::span<char> Space() { return {buffer_.get() + end_, kCapacity - end_}; }
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
  enum ByteClass : std::uint8_t { kGap, kLineFeed, kSkippedWord, kReadWord };
  // Bytes kept across commits: the context of the word being read, or a line's shown start.
  static constexpr std::size_t kKeepLimit = 512;
  static constexpr std::size_t kCapacity = kChunkSize + 2 * kKeepLimit;

  bool IsWord(char c) const { return classes_[static_cast<unsigned char>(c)] >= kSkippedWord; }
  std::size_t LineStartInBuffer() const {
    return lineStart_ > base_ ? static_cast<std::size_t>(lineStart_ - base_) : 0;
  }

  template <typename Sink>
  void Split(bool last, Sink& sink);
  template <typename Sink>
  void EndLine(std::size_t at, Sink& sink);
  void Compact();

  std::array<ByteClass, 256> classes_{};
  std::size_t context_;
  std::size_t longest_;
  std::unique_ptr<char[]> buffer_;
  std::size_t end_ = 0;        // bytes in buffer_
  std::size_t scan_ = 0;       // where splitting goes on
  bool skippingWord_ = false;  // scan_ is inside a word not to be read
  std::uint64_t base_ = 0;     // offset in the stream of buffer_[0]
  std::uint64_t lineStart_ = 0;
  std::uint64_t line_ = 1;
  bool lineFound_ = false;
  std::string shown_;  // the line's start, once it is no longer in buffer_
  bool shownSaved_ = false;
};

template <typename Sink>
void WordSplitter::Split(bool last, Sink& sink) {
  const char* const buffer = buffer_.get();
  const char* const end = buffer + end_;
  const char* p = buffer + scan_;
  if (skippingWord_) {
    while (p < end && IsWord(*p)) {
      ++p;
    }
    skippingWord_ = p == end && !last;
  }
  while (p < end) {
    ByteClass byteClass = classes_[static_cast<unsigned char>(*p)];
    if (byteClass < kSkippedWord) {
      if (byteClass == kLineFeed) {
        EndLine(static_cast<std::size_t>(p - buffer), sink);
      }
      ++p;
      continue;
    }
    const char* wordEnd = p + 1;
    while (wordEnd < end && IsWord(*wordEnd)) {
      ++wordEnd;
    }
    const auto length = static_cast<std::size_t>(wordEnd - p);
    if (byteClass == kSkippedWord || length > longest_) {
      skippingWord_ = wordEnd == end && !last;
      p = wordEnd;
      continue;
    }
    // The word and the bytes after it must be whole: more may come.
    const bool whole = last || end - wordEnd >= 2 || (wordEnd < end && *wordEnd == '\n');
    if (!whole) {
      break;
    }
    const std::size_t lineStart = LineStartInBuffer();
    const std::size_t at = static_cast<std::size_t>(p - buffer);
    const std::size_t beforeStart = std::max(lineStart, at >= context_ ? at - context_ : 0);
    std::size_t afterLength = std::min<std::size_t>(2, static_cast<std::size_t>(end - wordEnd));
    if (afterLength == 2 && wordEnd[1] == '\n') {
      afterLength = 1;
    }
    if (afterLength > 0 && wordEnd[0] == '\n') {
      afterLength = 0;
    }
    const SplitWord word{line_, base_ + at - lineStart_ + 1,
                         std::string_view(buffer + beforeStart, at - beforeStart),
                         std::string_view(p, length), std::string_view(wordEnd, afterLength)};
    lineFound_ = sink.Word(word) || lineFound_;
    p = wordEnd;
  }
  scan_ = static_cast<std::size_t>(p - buffer);
}

template <typename Sink>
void WordSplitter::EndLine(std::size_t at, Sink& sink) {
  if (lineFound_) {
    const std::uint64_t length = base_ + at - lineStart_;
    const bool cut = length > kShownLimit;
    std::string_view shown =
        shownSaved_ ? std::string_view(shown_)
                    : std::string_view(
                          buffer_.get() + LineStartInBuffer(),
                          static_cast<std::size_t>(std::min<std::uint64_t>(length, kShownLimit)));
    // A line ends in CR LF on Windows; the CR is no part of what is shown.
    if (!cut && !shown.empty() && shown.back() == '\r') {
      shown.remove_suffix(1);
    }
    sink.LineEnd(line_, shown, cut);
  }
  ++line_;
  lineStart_ = base_ + at + 1;
  lineFound_ = false;
  shownSaved_ = false;
  shown_.clear();
}

}  // namespace quillon
