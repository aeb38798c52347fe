// Bit fields of a 32-bit code, all on the value taken as unsigned.
#pragma once

#include <cstdint>

namespace quillon {

constexpr std::uint32_t CodeLowWord(std::uint32_t code) { return code & 0xFFFFu; }
constexpr std::uint32_t CodeTopBit(std::uint32_t code) { return code >> 31; }
constexpr std::uint32_t CodeSeverity(std::uint32_t code) { return code >> 30; }
// Bits 16 to 28; bits 29 to 31 take no part.
constexpr std::uint32_t CodeFacility(std::uint32_t code) { return (code >> 16) & 0x1FFFu; }

}  // namespace quillon
