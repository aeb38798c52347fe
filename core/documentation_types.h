// What an answer gains from the published documentation, beside a description.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "lookup/documentation_rows.h"

namespace quillon {

// Of one match: what to do about it, and a bug check's parameters and table of causes.
struct MatchDocumentation {
  std::vector<DocumentedText> remedies;
  std::vector<BugCheckParameterText> parameters;
  std::vector<BugCheckCaseText> cases;
  std::optional<std::array<std::uint64_t, 4>> arguments;  // a bug check's, as pasted with it
};

// Setup's extend code, named by the phase of its first digit and the operation of its last two,
// with what the resolution pages say of the pair.
struct ExtendAnswer {
  std::uint32_t value = 0;
  unsigned phaseNumber = 0;
  unsigned operationNumber = 0;
  std::optional<SetupStepName> phase;
  std::optional<SetupStepName> operation;
  std::optional<SetupPairText> pair;
};

// Of one reading: setup's extend code pasted with the result code.
struct ReadingDocumentation {
  std::optional<ExtendAnswer> extend;
};

}  // namespace quillon
