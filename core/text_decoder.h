// What a log's bytes say as text: UTF-16 (little or big endian) with a byte-order mark is
// made UTF-8; a UTF-8 byte-order mark is dropped; any other bytes pass as they are.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillon {

class TextDecoder {
 public:
  // bytes: the text does not start here (a piece of a file cut at a line end), so its first
  // bytes are never a byte-order mark.
  explicit TextDecoder(bool bytes = false)
      : encoding_(bytes ? Encoding::Bytes : Encoding::Unknown) {}
  // True once the stream is known to be passed as it is: its bytes may skip Decode.
  bool PassesThrough() const { return encoding_ == Encoding::Bytes && pending_.empty(); }
  // The text of the next bytes; a view of bytes itself, or of the decoder's own buffer, valid
  // until the next call.
  std::string_view Decode(std::string_view bytes);
  // The text of what was held back: an unfinished mark, an odd byte, a lone surrogate.
  std::string_view Finish();

 private:
  enum class Encoding { Unknown, Bytes, Utf16Le, Utf16Be };

  std::string_view DecodeUtf16(std::string_view bytes);
  void AppendCodePoint(std::uint32_t codePoint);

  Encoding encoding_;
  std::string pending_;  // bytes of a mark not yet whole, or the first byte of a unit
  std::uint32_t highSurrogate_ = 0;
  std::string text_;
};

}  // namespace quillon
