// Compressed logs (logrotate's .gz): a byte source that inflates gzip data as it is read.
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "core/byte_source.h"

namespace quillon {

// True when bytes begin as gzip data does (its two magic bytes).
bool StartsGzip(std::string_view bytes);

// The text of gzip data read from compressed, in bounded memory (a read buffer and zlib's
// window), one member after another as gzip writes concatenated files.
class GzipSource final : public ByteSource {
 public:
  // ahead: the first bytes of the data, already read from compressed.
  GzipSource(std::string_view ahead, ByteSource& compressed);
  ~GzipSource() override;
  GzipSource(const GzipSource&) = delete;
  GzipSource& operator=(const GzipSource&) = delete;

  std::size_t Read(std::span<char> space) override;
  bool Failed() const override { return compressed_.Failed() || !problem_.empty(); }
  int ErrorNumber() const override { return compressed_.ErrorNumber(); }
  // Why the data could not be inflated; empty when it could (or the read itself failed).
  const std::string& Problem() const { return problem_; }

 private:
  struct Stream;
  bool Refill();

  ByteSource& compressed_;
  std::unique_ptr<Stream> stream_;
  std::string problem_;
};

}  // namespace quillon
