#include "core/word_splitter.h"

namespace quillon {

WordSplitter::WordSplitter(bool (*mayStart)(char), std::size_t context, std::size_t longest,
                           std::size_t chunkSize)
    : context_(context),
      longest_(longest),
      capacity_(chunkSize + 2 * kKeepLimit),
      buffer_(new char[capacity_]) {
  for (int c = 0; c < 256; ++c) {
    const char byte = static_cast<char>(c);
    const bool word =
        (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    classes_[static_cast<std::size_t>(c)] = !word            ? (c == '\n' ? kLineFeed : kGap)
                                            : mayStart(byte) ? kReadWord
                                                             : kSkippedWord;
  }
}

void WordSplitter::Compact() {
  std::size_t keepFrom = scan_ >= context_ ? scan_ - context_ : 0;
  if (lineStart_ >= base_) {
    const auto lineStart = static_cast<std::size_t>(lineStart_ - base_);
    if (scan_ - lineStart <= kKeepLimit) {
      keepFrom = lineStart;
    } else if (!shownSaved_) {
      // The line's start leaves the buffer: what is shown of it stays.
      shown_.assign(buffer_.get() + lineStart, std::min(kShownLimit, end_ - lineStart));
      shownSaved_ = true;
    }
    keepFrom = std::max(keepFrom, lineStart);
  }
  std::memmove(buffer_.get(), buffer_.get() + keepFrom, end_ - keepFrom);
  lineBegin_ = lineBegin_ > keepFrom ? lineBegin_ - keepFrom : 0;
  base_ += keepFrom;
  end_ -= keepFrom;
  scan_ -= keepFrom;
}

}  // namespace quillon
