#include "cli/gzip_source.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <limits>

namespace quillon {

namespace {

constexpr std::size_t kInputSize = 1 << 16;
constexpr int kGzipOnly = 16 + MAX_WBITS;  // windowBits for gzip headers, not zlib's or raw

}  // namespace

struct GzipSource::Stream {
  z_stream z{};
  bool ready = false;          // inflateInit2 succeeded
  bool memberStarted = false;  // some input taken since the last member ended
  bool ended = false;          // compressed has no more bytes
  bool finished = false;       // nothing more to give
  std::unique_ptr<Bytef[]> input{new Bytef[kInputSize]};
};

bool StartsGzip(std::string_view bytes) {
  return bytes.size() >= 2 && bytes[0] == '\x1f' && bytes[1] == '\x8b';
}

GzipSource::GzipSource(std::string_view ahead, ByteSource& compressed)
    : compressed_(compressed), stream_(std::make_unique<Stream>()) {
  Stream& s = *stream_;
  s.ready = inflateInit2(&s.z, kGzipOnly) == Z_OK;
  if (!s.ready) {
    problem_ = "cannot start zlib";
    s.finished = true;
    return;
  }
  // The caller read at most a few bytes ahead: they fit the buffer.
  const std::size_t kept = std::min(ahead.size(), kInputSize);
  std::memcpy(s.input.get(), ahead.data(), kept);
  s.z.next_in = s.input.get();
  s.z.avail_in = static_cast<uInt>(kept);
}

GzipSource::~GzipSource() {
  if (stream_->ready) {
    inflateEnd(&stream_->z);
  }
}

// Reads more compressed bytes; false at the end of the input.
bool GzipSource::Refill() {
  Stream& s = *stream_;
  if (s.ended) {
    return false;
  }
  const std::size_t count = compressed_.Read({reinterpret_cast<char*>(s.input.get()), kInputSize});
  s.ended = count == 0;
  s.z.next_in = s.input.get();
  s.z.avail_in = static_cast<uInt>(count);
  return count > 0;
}

std::size_t GzipSource::Read(std::span<char> space) {
  Stream& s = *stream_;
  // zlib counts in uInt; a larger space is filled in part, as any read may be.
  const std::size_t wanted = std::min<std::size_t>(space.size(), std::numeric_limits<uInt>::max());
  while (!s.finished && wanted > 0) {
    if (s.z.avail_in == 0 && !Refill()) {
      s.finished = true;
      if (s.memberStarted && !compressed_.Failed()) {
        problem_ = "compressed data cut short";
      }
      break;
    }
    s.memberStarted = true;
    s.z.next_out = reinterpret_cast<Bytef*>(space.data());
    s.z.avail_out = static_cast<uInt>(wanted);
    const int result = inflate(&s.z, Z_NO_FLUSH);
    const std::size_t made = wanted - s.z.avail_out;
    if (result == Z_STREAM_END) {
      // gzip writes `gzip a >>b` as members one after another: the next one starts here.
      inflateReset(&s.z);
      s.memberStarted = false;
    } else if (result != Z_OK && result != Z_BUF_ERROR) {
      s.finished = true;
      problem_ = std::string("compressed data is corrupt (") +
                 (s.z.msg != nullptr ? s.z.msg : "zlib error") + ")";
    }
    if (made > 0) {
      return made;
    }
  }
  return 0;
}

}  // namespace quillon
