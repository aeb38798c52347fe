#include "core/text_decoder.h"

namespace quillon {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";
constexpr std::uint32_t kReplacement = 0xFFFD;

bool StartsWith(std::string_view text, std::string_view start) {
  return text.substr(0, start.size()) == start;
}

// Whether more bytes could still make head a byte-order mark.
bool MayBecomeMark(std::string_view head) {
  for (const std::string_view mark : {kUtf8Mark, kUtf16LeMark, kUtf16BeMark}) {
    if (head.size() < mark.size() && StartsWith(mark, head)) {
      return true;
    }
  }
  return false;
}

}  // namespace

std::string_view TextDecoder::Decode(std::string_view bytes) {
  if (encoding_ == Encoding::Unknown) {
    pending_.append(bytes.substr(0, 3));
    bytes.remove_prefix(std::min<std::size_t>(3, bytes.size()));
    if (MayBecomeMark(pending_)) {
      return {};
    }
    std::string head = std::move(pending_);
    pending_.clear();
    std::size_t markLength = 0;
    if (StartsWith(head, kUtf8Mark)) {
      encoding_ = Encoding::Bytes;
      markLength = kUtf8Mark.size();
    } else if (StartsWith(head, kUtf16LeMark) || StartsWith(head, kUtf16BeMark)) {
      encoding_ = head[0] == '\xFF' ? Encoding::Utf16Le : Encoding::Utf16Be;
      markLength = 2;
    } else {
      encoding_ = Encoding::Bytes;
    }
    // The first bytes after the mark, then the rest, in one text.
    head.erase(0, markLength);
    head.append(bytes);
    if (encoding_ == Encoding::Bytes) {
      text_ = std::move(head);
      return text_;
    }
    const std::string rest = std::move(head);
    return DecodeUtf16(rest);
  }
  if (encoding_ == Encoding::Bytes) {
    return bytes;
  }
  return DecodeUtf16(bytes);
}

std::string_view TextDecoder::DecodeUtf16(std::string_view bytes) {
  text_.clear();
  std::string joined;
  if (!pending_.empty() && !bytes.empty()) {
    joined = pending_ + std::string(bytes.substr(0, 1));
    pending_.clear();
    bytes.remove_prefix(1);
  }
  const bool little = encoding_ == Encoding::Utf16Le;
  const auto unitAt = [little](std::string_view from, std::size_t i) {
    const auto a = static_cast<unsigned char>(from[i]);
    const auto b = static_cast<unsigned char>(from[i + 1]);
    return static_cast<std::uint32_t>(little ? a | b << 8 : b | a << 8);
  };
  const auto take = [this](std::uint32_t unit) {
    if (highSurrogate_ != 0) {
      const std::uint32_t high = highSurrogate_;
      highSurrogate_ = 0;
      if (unit >= 0xDC00 && unit <= 0xDFFF) {
        AppendCodePoint(0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
        return;
      }
      AppendCodePoint(kReplacement);
    }
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      highSurrogate_ = unit;
    } else {
      AppendCodePoint(unit >= 0xDC00 && unit <= 0xDFFF ? kReplacement : unit);
    }
  };
  text_.reserve(bytes.size() / 2 + 8);
  if (joined.size() == 2) {
    take(unitAt(joined, 0));
  }
  std::size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    take(unitAt(bytes, i));
  }
  pending_.append(bytes.substr(i));
  return text_;
}

void TextDecoder::AppendCodePoint(std::uint32_t codePoint) {
  const auto put = [this](std::uint32_t byte) { text_ += static_cast<char>(byte); };
  if (codePoint < 0x80) {
    put(codePoint);
  } else if (codePoint < 0x800) {
    put(0xC0 | codePoint >> 6);
    put(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    put(0xE0 | codePoint >> 12);
    put(0x80 | (codePoint >> 6 & 0x3F));
    put(0x80 | (codePoint & 0x3F));
  } else {
    put(0xF0 | codePoint >> 18);
    put(0x80 | (codePoint >> 12 & 0x3F));
    put(0x80 | (codePoint >> 6 & 0x3F));
    put(0x80 | (codePoint & 0x3F));
  }
}

std::string_view TextDecoder::Finish() {
  text_.clear();
  if (encoding_ == Encoding::Unknown || encoding_ == Encoding::Bytes) {
    // Too short for a mark: the bytes are text as they are.
    encoding_ = Encoding::Bytes;
    text_ = std::move(pending_);
    pending_.clear();
    return text_;
  }
  if (highSurrogate_ != 0 || !pending_.empty()) {
    highSurrogate_ = 0;
    pending_.clear();
    AppendCodePoint(kReplacement);
  }
  return text_;
}

}  // namespace quillon
