// Turns the query edit's text into a number, a define name or a rejection message.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillon {

// Longest text the query edit accepts.
inline constexpr std::size_t kQueryMaxLength = 136;

struct QueryVerdict {
  enum class Kind { Number, DefineName, Rejection };
  Kind kind = Kind::Rejection;
  std::uint32_t number = 0;      // Kind::Number: the value; negative decimals in two's complement
  std::string defineName;        // Kind::DefineName: the whole text in upper case
  std::string_view message;      // Kind::Rejection: one of the twelve rejection texts
  bool defineMode = false;       // Kind::Rejection: the define-name check failed
};

QueryVerdict ClassifyQuery(std::string_view queryText);

}  // namespace quillon
