// Reads one message from a message table (MESSAGE_RESOURCE_DATA): blocks of consecutive ids,
// each pointing at a run of length-prefixed entries. The bytes are untrusted.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillon {

// The text of code as the table holds it: 8-bit entries as they are, UTF-16 entries as UTF-8,
// trailing CR, LF, blanks and tabs removed, insert sequences (%1, %hs) untouched. Nothing when
// the table has no entry for code or the entry does not fit in the table.
std::optional<std::string> FindMessage(std::string_view table, std::uint32_t code);

// UTF-16LE code units to UTF-8, up to the first zero unit; a lone surrogate becomes U+FFFD.
std::string Utf16LeToUtf8(std::string_view units);

// text without its trailing CR, LF, blanks and tabs.
std::string_view TrimMessageEnd(std::string_view text);

}  // namespace quillon
