// A define name's 32-bit hash, the same in every build and on every platform: the generator
// stores every name's hash in the database, and the scan asks a log's words by it.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace quillon {

constexpr std::uint32_t NameHash(std::string_view name) {
  // Eight bytes at a time, little-endian, each mixed in by a multiply; the length keeps "A"
  // apart from "A\0"; the last steps spread every bit over the top half, which is kept.
  std::uint64_t hash = 0x9E3779B97F4A7C15u ^ name.size();
  for (std::size_t at = 0; at < name.size(); at += 8) {
    std::uint64_t chunk = 0;
    if (!std::is_constant_evaluated() && std::endian::native == std::endian::little &&
        at + 8 <= name.size()) {
      std::memcpy(&chunk, name.data() + at, 8);  // one load where the bytes are in order
    } else {
      for (std::size_t i = 0; i < 8 && at + i < name.size(); ++i) {
        chunk |= std::uint64_t{static_cast<unsigned char>(name[at + i])} << (8 * i);
      }
    }
    hash = (hash ^ chunk) * 0xFF51AFD7ED558CCDu;
    hash ^= hash >> 32;
  }
  hash ^= hash >> 33;
  hash *= 0xC4CEB9FE1A85EC53u;
  return static_cast<std::uint32_t>((hash ^ (hash >> 33)) >> 32);
}

}  // namespace quillon
