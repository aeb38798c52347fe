// What the command line answers for one reading of a query: every kind that knows it, with
// the window's texts for each.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/readings.h"
#include "lookup/define_rows.h"
#include "lookup/error_type.h"
#include "lookup/message_source.h"

namespace quillon {

struct KindAnswer {
  ErrorType type = ErrorType::Win32;
  std::uint32_t value = 0;  // as the kind holds it: the reduced code for Win32
  std::string code;         // the Code, Status and Facility as the window's view shows them
  std::string status;
  std::string facility;
  std::vector<NamedDefine> names;          // every name the kind's table holds for value
  std::optional<std::string> description;  // nothing when no source has a text
};

struct ReadingAnswer {
  Reading reading;
  std::vector<KindAnswer> matches;  // in ErrorType order; empty when nothing knows it
};

// A number is answered by every kind whose message source (or, failing it, a further table of
// the source: another family's module, the user's own) has a text for it or whose table holds
// it: Win32 under its rule (0x80070005 is Win32 5), HRESULT, NTSTATUS and STOP with the
// full value; an HRESULT up to 0xFFFF only when its table holds it, since the system table's
// text for such a value is the Win32 code's. A name is answered by every kind whose table
// holds it, with that table's value.
ReadingAnswer Answer(const Reading& reading, MessageSource& messages, const DefineRows& defines);

// text without its trailing CR, LF, blanks and tabs.
std::string_view TrimTrailingSpace(std::string_view text);

}  // namespace quillon
