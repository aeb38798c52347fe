// A bug check with its four arguments as people paste them: the system event's
// "The bugcheck was: 0x00000133 (0x0000000000000000, 0x0000000000000501, ...)" and the
// debugger's "BugCheck 133, {0, 501, 500, fffff8005f8fb320}". Both write hexadecimal.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace quillon {

struct BugCheckArguments {
  std::uint32_t code = 0;
  std::array<std::uint64_t, 4> arguments{};
  std::size_t begin = 0;  // the text's place in the line: from the keyword to the closing mark
  std::size_t end = 0;
};

// The first bug check with arguments in line; nothing when it holds none, or one cut short
// (fewer than four arguments, a digit too many, no closing mark).
std::optional<BugCheckArguments> FindBugCheckArguments(std::string_view line);

// The bug check that a whole query is, blanks around it allowed.
std::optional<BugCheckArguments> ReadBugCheckArguments(std::string_view query);

}  // namespace quillon
