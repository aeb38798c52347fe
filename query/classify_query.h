// Turns the query edit's text into a number, a define name or a rejection message.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillon {

// Longest text the query edit accepts.
inline constexpr std::size_t kQueryMaxLength = 136;

struct QueryVerdict {
  enum class Kind { Number, DefineName, Rejection };
  Kind kind = Kind::Rejection;
  std::uint32_t number = 0;  // Kind::Number: the value; negative decimals in two's complement
  std::string defineName;    // Kind::DefineName: the whole text in upper case
  std::string_view message;  // Kind::Rejection: one of the twelve rejection texts
  bool defineMode = false;   // Kind::Rejection: the define-name check failed
};

// The rejection messages, exactly as the user sees them, in the order the rules reach them.
// Line breaks are '\n'; the window writes them as CR LF.
inline constexpr std::string_view kNothingToSearchMessage =
    "DOH, there is nothing to search for! Please enter a complete error number";
inline constexpr std::string_view kInvalidDefineMessage = "Seems to be an invalid define";
inline constexpr std::string_view kMoreThanOneHexPrefixMessage =
    "There is more than 1 '0x' in your number";
inline constexpr std::string_view kHexPrefixNotFirstMessage = "0x should be before any numbers";
inline constexpr std::string_view kMissingHexDigitsMessage =
    "Um, are you missing a number after the 0x";
inline constexpr std::string_view kInvalidHexMessage = "That is an invalid hex number\n";
inline constexpr std::string_view kHexTooBigMessage =
    "The hex number you entered is way too big!\n"
    "Valid range is: 80000000 (-2147483648) to 7FFFFFFF (2147483647)";
inline constexpr std::string_view kTooManyDashesMessage = "There are too many dashes in the number";
inline constexpr std::string_view kDashNotFirstMessage =
    "Dash (-) should be the first character of the number.";
inline constexpr std::string_view kMissingDigitsAfterDashMessage =
    "Um, are you missing a number after the dash?";
inline constexpr std::string_view kInvalidDwordMessage =
    "You entered an invalid DWORD\nValid numbers are 0123456789";
inline constexpr std::string_view kNumberTooBigMessage =
    "The number you entered is way too big!\nValid range is: -2147483648 to 2147483647";

inline constexpr std::array<std::string_view, 12> kRejectionMessages = {
    kNothingToSearchMessage,
    kInvalidDefineMessage,
    kMoreThanOneHexPrefixMessage,
    kHexPrefixNotFirstMessage,
    kMissingHexDigitsMessage,
    kInvalidHexMessage,
    kHexTooBigMessage,
    kTooManyDashesMessage,
    kDashNotFirstMessage,
    kMissingDigitsAfterDashMessage,
    kInvalidDwordMessage,
    kNumberTooBigMessage};

// Never fails: every text gets a number, a define name or one of the rejection messages.
QueryVerdict ClassifyQuery(std::string_view queryText);

}  // namespace quillon
