// Bounded little-endian reads from untrusted bytes: every read names an offset, and a read
// that would leave the bytes gives nothing. Offsets are 64-bit so that sums of 32-bit fields
// taken from a file cannot wrap.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quillon {

// size bytes at offset, or nothing when they are not all inside bytes.
inline std::optional<std::string_view> SliceBytes(std::string_view bytes, std::uint64_t offset,
                                                  std::uint64_t size) {
  if (offset > bytes.size() || size > bytes.size() - offset) {
    return std::nullopt;
  }
  return bytes.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(size));
}

// Bytes is a std::string_view or a view of a file read in parts (PartsView), whose SliceBytes
// the read takes.
template <typename Unsigned, typename Bytes>
std::optional<Unsigned> ReadLittleEndian(const Bytes& bytes, std::uint64_t offset) {
  const std::optional<std::string_view> field = SliceBytes(bytes, offset, sizeof(Unsigned));
  if (!field) {
    return std::nullopt;
  }
  Unsigned value = 0;
  for (std::size_t i = sizeof(Unsigned); i-- > 0;) {
    value = static_cast<Unsigned>((value << 8) | static_cast<unsigned char>((*field)[i]));
  }
  return value;
}

template <typename Bytes>
std::optional<std::uint16_t> ReadU16(const Bytes& bytes, std::uint64_t offset) {
  return ReadLittleEndian<std::uint16_t>(bytes, offset);
}

template <typename Bytes>
std::optional<std::uint32_t> ReadU32(const Bytes& bytes, std::uint64_t offset) {
  return ReadLittleEndian<std::uint32_t>(bytes, offset);
}

}  // namespace quillon
