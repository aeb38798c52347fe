// The lines of standard input for query mode, read as they arrive, in bounded memory.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "core/byte_source.h"

namespace quillon {

// Longest line read as a query: far more than any code or name.
inline constexpr std::size_t kQueryLineLimit = 4096;

// The lines of an input, each at most kQueryLineLimit bytes; a longer one is skipped to its
// end in bounded memory and reported.
class LineReader {
 public:
  enum class Status { Line, TooLong, End };

  explicit LineReader(ByteSource& source) : source_(source), buffer_(new char[kReadSize]) {}

  // beforeWait runs each time the next line is not yet read.
  template <typename BeforeWait>
  Status Next(std::string& line, BeforeWait&& beforeWait) {
    line.clear();
    bool tooLong = false;
    for (;;) {
      const char* const begin = buffer_.get() + start_;
      const auto* feed = static_cast<const char*>(std::memchr(begin, '\n', end_ - start_));
      const std::size_t length = feed ? static_cast<std::size_t>(feed - begin) : end_ - start_;
      tooLong = tooLong || line.size() + length > kQueryLineLimit;
      if (!tooLong) {
        line.append(begin, length);
      }
      start_ += length;
      if (feed != nullptr || (ended_ && (tooLong || !line.empty()))) {
        start_ += feed != nullptr ? 1 : 0;
        ++number_;
        if (tooLong) {
          line.clear();
          return Status::TooLong;
        }
        return Status::Line;
      }
      if (ended_) {
        return Status::End;
      }
      beforeWait();
      start_ = 0;
      end_ = source_.Read({buffer_.get(), kReadSize});
      ended_ = end_ == 0;
    }
  }
  std::uint64_t Number() const { return number_; }

 private:
  static constexpr std::size_t kReadSize = 1 << 16;
  ByteSource& source_;
  std::unique_ptr<char[]> buffer_;
  std::size_t start_ = 0;
  std::size_t end_ = 0;
  bool ended_ = false;
  std::uint64_t number_ = 0;
};

}  // namespace quillon
