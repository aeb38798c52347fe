#include "cli/answers.h"

#include <utility>

#include "display/type_views.h"
#include "lookup/message_lookup.h"

namespace quillon {

namespace {

// The kind's answer for value, or nothing when the kind does not know it. A value the kind
// cannot hold (a Win32 value above 0xFFFF outside facility 7) is known only when its table
// holds a name for it (held), and then has no description.
std::optional<KindAnswer> AnswerKind(ErrorType type, std::uint32_t value, bool held,
                                     MessageSource& messages, const DefineRows& defines) {
  const LookupPlan plan = PlanLookup(type, value);
  if (!plan.applicable && !held) {
    return std::nullopt;
  }
  const std::uint32_t code = plan.applicable ? plan.code : value;
  const LookupOutcome shown = Lookup(type, value, LookupMode::Show, messages);
  std::string description(TrimTrailingSpace(shown.description.value_or("")));
  if (description.empty() && plan.applicable) {
    description = TrimTrailingSpace(messages.FurtherMessage(type, code).value_or(""));
  }
  std::vector<NamedDefine> names = defines.NamesOfValue(type, code);
  // The system table answers a value up to 0xFFFF as the Win32 code it is; as an HRESULT such
  // a value is known only by name (S_OK, S_FALSE).
  const bool win32Text = type == ErrorType::Hresult && code <= 0xFFFFu;
  if (names.empty() && (description.empty() || win32Text)) {
    return std::nullopt;
  }
  KindAnswer answer;
  answer.type = type;
  answer.value = code;
  answer.code = CodeText(code);
  answer.status = StatusText(type, code);
  answer.facility = FacilityText(type, code);
  answer.names = std::move(names);
  if (!description.empty()) {
    answer.description = description;
  }
  return answer;
}

}  // namespace

ReadingAnswer Answer(const Reading& reading, MessageSource& messages, const DefineRows& defines) {
  ReadingAnswer answer{reading, {}};
  for (const ErrorType type : kErrorTypes) {
    std::uint32_t value = reading.value;
    const bool byName = reading.kind == ReadingKind::Name;
    if (byName) {
      const std::optional<std::int32_t> held = defines.ValueOfName(type, reading.name);
      if (!held) {
        continue;
      }
      value = static_cast<std::uint32_t>(*held);
    }
    if (std::optional<KindAnswer> kind = AnswerKind(type, value, byName, messages, defines)) {
      answer.matches.push_back(std::move(*kind));
    }
  }
  return answer;
}

std::string_view TrimTrailingSpace(std::string_view text) {
  const std::size_t end = text.find_last_not_of(" \t\r\n");
  return text.substr(0, end == std::string_view::npos ? 0 : end + 1);
}

}  // namespace quillon
