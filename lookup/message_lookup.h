// The four message-table lookups as rules: which source each kind asks, with which code, and
// what follows in Probe and Show mode. The window glue applies the outcome to the controls.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "lookup/error_type.h"
#include "lookup/message_source.h"

namespace quillon {

enum class LookupMode { Probe = 0, Show = 1 };

// FormatMessageA option words.
inline constexpr std::uint32_t kFormatFromSystem = 0x1300;
inline constexpr std::uint32_t kFormatFromModule = 0xB00;

struct LookupPlan {
  bool applicable = false;   // false: LookupWin32 returns -1 and touches nothing
  std::uint32_t code = 0;    // code passed to the source (the reduced Win32 code for Win32)
  MessageSourceId source = MessageSourceId::System;
  std::uint32_t formatOptions = kFormatFromSystem;
  const char* moduleName = nullptr;  // "wininet", "ntdll", "ntoskrnl.exe", or null for system
};

LookupPlan PlanLookup(ErrorType type, std::uint32_t code);

struct LookupOutcome {
  int result = 0;  // LookupWin32's return value: -1 not applicable, else 0
  // Probe mode, source had a message: store this code in the kind's label and enable it.
  std::optional<std::uint32_t> storeInLabel;
  // Show mode, applicable: write this into Description (empty text when the source had none).
  std::optional<std::string> description;
};

// mode is the raw mode word: exactly 1 is Show, anything else acts as Probe.
LookupOutcome Lookup(ErrorType type, std::uint32_t code, int mode, MessageSource& source);

}  // namespace quillon
