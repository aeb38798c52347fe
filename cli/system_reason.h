// The system's own words for why a file could not be opened, read or written.
#pragma once

#include <cerrno>
#include <string>
#include <system_error>

namespace quillon {

// errno's value after a call that failed (cleared before it); EIO when the call set none.
inline int FailedCallError() {
  return errno != 0 ? errno : EIO;
}

// errorNumber is errno's value right after the failed call.
inline std::string SystemReason(int errorNumber) {
  return std::generic_category().message(errorNumber);
}

}  // namespace quillon
