// The four message-table lookups as rules: which source each kind asks, with which code, and
// what follows in Probe and Show mode. The front ends apply the outcome.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/error_type.h"
#include "lookup/message_source.h"

namespace quillon {

enum class LookupMode { Probe = 0, Show = 1 };

struct LookupPlan {
  bool applicable = false;  // false: only Win32 says so, for a value that cannot be one
  std::uint32_t code = 0;   // code passed to the source (the reduced Win32 code for Win32)
  MessageSourceId source = MessageSourceId::System;
};

LookupPlan PlanLookup(ErrorType type, std::uint32_t code);

struct LookupOutcome {
  bool applicable = false;  // as planned; nothing else was asked when false
  // Probe mode, the source had a message: the code stored for the kind (its label enabled).
  std::optional<std::uint32_t> found;
  // Show mode, applicable: the Description text, empty when the source had none.
  std::optional<std::string> description;
};

LookupOutcome Lookup(ErrorType type, std::uint32_t code, LookupMode mode, MessageSource& source);

}  // namespace quillon
