#include "core/json_text.h"

namespace quillon {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

void AppendEscapedAscii(std::string& out, char c) {
  switch (c) {
    case '"':
      out += "\\\"";
      return;
    case '\\':
      out += "\\\\";
      return;
    case '\b':
      out += "\\b";
      return;
    case '\f':
      out += "\\f";
      return;
    case '\n':
      out += "\\n";
      return;
    case '\r':
      out += "\\r";
      return;
    case '\t':
      out += "\\t";
      return;
    default:
      break;
  }
  if (static_cast<unsigned char>(c) < 0x20) {
    constexpr char kHex[] = "0123456789abcdef";
    out += "\\u00";
    out += kHex[(c >> 4) & 0xF];
    out += kHex[c & 0xF];
    return;
  }
  out += c;
}

// The length of the UTF-8 sequence that lead starts and the range its second byte must lie
// in (no overlong forms, no surrogates, nothing past U+10FFFF); 0 for a byte that starts none.
struct Lead {
  std::size_t length;
  unsigned char low;
  unsigned char high;
};

Lead LeadOf(unsigned char byte) {
  if (byte >= 0xC2 && byte <= 0xDF)
    return {2, 0x80, 0xBF};
  if (byte == 0xE0)
    return {3, 0xA0, 0xBF};
  if (byte == 0xED)
    return {3, 0x80, 0x9F};
  if (byte >= 0xE1 && byte <= 0xEF)
    return {3, 0x80, 0xBF};
  if (byte == 0xF0)
    return {4, 0x90, 0xBF};
  if (byte >= 0xF1 && byte <= 0xF3)
    return {4, 0x80, 0xBF};
  if (byte == 0xF4)
    return {4, 0x80, 0x8F};
  return {0, 0, 0};
}

bool NeedsNoEscape(unsigned char byte) {
  return byte >= 0x20 && byte < 0x80 && byte != '"' && byte != '\\';
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view text) {
  out += '"';
  std::size_t i = 0;
  while (i < text.size()) {
    // Most text needs no escape: a run of it is appended at once.
    std::size_t plain = i;
    while (plain < text.size() && NeedsNoEscape(static_cast<unsigned char>(text[plain]))) {
      ++plain;
    }
    if (plain > i) {
      out.append(text.substr(i, plain - i));
      i = plain;
      continue;
    }
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      AppendEscapedAscii(out, text[i]);
      ++i;
      continue;
    }
    const Lead lead = LeadOf(byte);
    if (lead.length == 0) {
      out += kReplacement;
      ++i;
      continue;
    }
    // The first byte that does not continue the sequence is read again on its own.
    std::size_t k = 1;
    for (; k < lead.length && i + k < text.size(); ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      const unsigned char low = k == 1 ? lead.low : 0x80;
      const unsigned char high = k == 1 ? lead.high : 0xBF;
      if (next < low || next > high) {
        break;
      }
    }
    if (k == lead.length) {
      out.append(text.substr(i, k));
    } else {
      out += kReplacement;
    }
    i += k;
  }
  out += '"';
}

std::string& JsonMembers::Key(std::string_view key) {
  if (!first_) {
    out_ += ',';
  }
  first_ = false;
  AppendJsonString(out_, key);
  out_ += ':';
  return out_;
}

JsonMembers& JsonMembers::String(std::string_view key, std::string_view value) {
  AppendJsonString(Key(key), value);
  return *this;
}

JsonMembers& JsonMembers::Number(std::string_view key, std::int64_t value) {
  Key(key) += std::to_string(value);
  return *this;
}

JsonMembers& JsonMembers::Null(std::string_view key) {
  Key(key) += "null";
  return *this;
}

JsonMembers& JsonMembers::Members(std::string_view members) {
  if (!members.empty()) {
    out_ += first_ ? "" : ",";
    out_ += members;
    first_ = false;
  }
  return *this;
}

JsonMembers& JsonMembers::Raw(std::string_view key, std::string_view value) {
  Key(key) += value;
  return *this;
}

}  // namespace quillon
