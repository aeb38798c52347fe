#include "core/answers.h"

#include <utility>

#include "base/code_bits.h"
#include "display/facility_names.h"
#include "display/type_views.h"
#include "lookup/message_lookup.h"
#include "lookup/wrapped_code.h"
#include "query/text_routines.h"

namespace quillon {

namespace {

struct SourcedText {
  std::optional<std::string> text;
  DescriptionSource source = DescriptionSource::System;
};

// The message source's text for value of type; nothing when it has none. The system table
// answers an HRESULT up to 0xFFFF with the Win32 code's text, so such an HRESULT takes none.
// The user's own tables come before the documentation.
SourcedText DescriptionText(ErrorType type, std::uint32_t value, MessageSource& messages) {
  if (type == ErrorType::Hresult && value <= kLargestWin32Code) {
    return {};
  }
  // It answers any failure of facility 7 with its low word's text too; that text is an
  // HRESULT's own only in HRESULT_FROM_WIN32's form (0x80070000, a failure, is not Win32 0's
  // success).
  const bool systemReadsWin32 =
      type == ErrorType::Hresult && SystemTableReadsAsWin32(value) && !IsHresultFromWin32(value);
  DescriptionSource source = DescriptionSource::System;
  std::string text;
  if (!systemReadsWin32) {
    text = TrimTrailingSpace(
        Lookup(type, value, LookupMode::Show, messages).description.value_or(std::string()));
  }
  const std::uint32_t code = PlanLookup(type, value).code;  // Win32's reduced code
  if (text.empty()) {
    // Another family's module, or the user's own, where the kind's own table has none.
    source = DescriptionSource::Module;
    text = TrimTrailingSpace(messages.FurtherMessage(type, code).value_or(std::string()));
  }
  if (text.empty()) {
    source = DescriptionSource::Documentation;
    text = TrimTrailingSpace(messages.DocumentedMessage(type, code).value_or(std::string()));
  }
  if (text.empty()) {
    return {};
  }
  return {std::move(text), source};
}

CodeAnswer Describe(ErrorType type, std::uint32_t value, MessageSource& messages,
                    const DefineSource& defines) {
  SourcedText text = DescriptionText(type, value, messages);
  return {type, value, defines.NamesOfValue(type, value), std::move(text.text), text.source};
}

// On the command line a Win32 code above 0xFFFF is only its HRESULT form, 0x8007xxxx (not
// 0x80070000: the macro keeps 0 as 0); an NTSTATUS of facility 7 (0xC007xxxx) wraps one
// instead, and any other value is none.
bool MayBeWin32(std::uint32_t value) {
  return value <= kLargestWin32Code || IsHresultFromWin32(value);
}

std::string FacilityOf(ErrorType type, std::uint32_t code, const DefineSource& defines) {
  const std::string_view known = FacilityText(type, code);
  if (known == kUnknownText && (type == ErrorType::Hresult || type == ErrorType::NtStatus)) {
    if (std::optional<std::string> named = defines.FacilityName(type, CodeFacility(code))) {
      return *named;
    }
  }
  return std::string(known);
}

std::vector<RelatedAnswer> RelativesOf(ErrorType type, std::uint32_t code, MessageSource& messages,
                                       const DefineSource& defines) {
  std::vector<RelatedAnswer> related;
  if (type == ErrorType::NtStatus) {
    if (const std::optional<std::uint32_t> win32 = defines.Win32OfStatus(code)) {
      related.push_back({Relation::Win32, Describe(ErrorType::Win32, *win32, messages, defines)});
    }
  } else if (type == ErrorType::Win32 && code <= kLargestWin32Code) {
    related.push_back({Relation::Hresult,
                       Describe(ErrorType::Hresult, HresultFromWin32(code), messages, defines)});
    for (const std::uint32_t status : defines.StatusesOfWin32(code)) {
      related.push_back(
          {Relation::NtStatus, Describe(ErrorType::NtStatus, status, messages, defines)});
    }
  }
  return related;
}

// The kind's answer for value, or nothing when the kind does not know it. A value the kind
// cannot hold (a Win32 value above 0xFFFF outside facility 7) is known only when its table
// holds a name for it (held), and then has no description.
std::optional<KindAnswer> AnswerKind(ErrorType type, std::uint32_t value, bool held,
                                     MessageSource& messages, const DefineSource& defines) {
  const LookupPlan plan = PlanLookup(type, value);
  const bool applicable = plan.applicable && (type != ErrorType::Win32 || MayBeWin32(value));
  if (!applicable && !held) {
    return std::nullopt;
  }
  const std::uint32_t code = applicable ? plan.code : value;
  SourcedText text = applicable ? DescriptionText(type, code, messages) : SourcedText{};
  CodeAnswer own{type, code, defines.NamesOfValue(type, code), std::move(text.text), text.source};
  std::optional<CodeAnswer> wraps;
  std::string_view wrapper;
  if (const std::optional<WrappedCode> wrapped = UnwrapCode(type, code)) {
    CodeAnswer inner = Describe(wrapped->type, wrapped->value, messages, defines);
    if (inner.Known()) {
      wraps = std::move(inner);
      wrapper = wrapped->wrapper;
    }
  }
  if (!own.Known() && !wraps) {
    return std::nullopt;
  }
  KindAnswer answer;
  answer.type = type;
  answer.value = code;
  answer.code = CodeText(code);
  answer.status = StatusText(type, code);
  answer.facility = FacilityOf(type, code, defines);
  answer.names = std::move(own.names);
  answer.description = std::move(own.description);
  answer.source = own.source;
  answer.wraps = std::move(wraps);
  answer.wrapper = wrapper;
  answer.related = RelativesOf(type, code, messages, defines);
  return answer;
}

std::string CodeLabel(const CodeAnswer& code) {
  std::string label(ErrorTypeName(code.type));
  label += ' ';
  label += code.names.empty() ? "0x" + FormatHex8(code.value) : code.names.front().name;
  return label;
}

}  // namespace

ReadingAnswer Answer(const Reading& reading, MessageSource& messages, const DefineSource& defines) {
  ReadingAnswer answer{reading, {}, {}};
  for (const ErrorType type : kErrorTypes) {
    if (reading.kind != ReadingKind::Name) {
      if (std::optional<KindAnswer> kind =
              AnswerKind(type, reading.value, false, messages, defines)) {
        answer.matches.push_back(std::move(*kind));
      }
      continue;
    }
    // A name one table holds with two values answers with both.
    for (const std::int32_t held : defines.ValuesOfName(type, reading.name)) {
      if (std::optional<KindAnswer> kind =
              AnswerKind(type, static_cast<std::uint32_t>(held), true, messages, defines)) {
        answer.matches.push_back(std::move(*kind));
      }
    }
  }
  return answer;
}

std::string_view RelationName(Relation relation) {
  switch (relation) {
    case Relation::NtStatus:
      return "ntstatus";
    case Relation::Hresult:
      return "hresult";
    case Relation::Win32:
      break;
  }
  return "win32";
}

DescriptionOf FirstDescription(const KindAnswer& match) {
  if (match.description) {
    return {&*match.description, {}, match.source};
  }
  if (match.wraps && match.wraps->description) {
    return {&*match.wraps->description, CodeLabel(*match.wraps), match.wraps->source};
  }
  for (const RelatedAnswer& relative : match.related) {
    if (relative.code.description) {
      return {&*relative.code.description, CodeLabel(relative.code), relative.code.source};
    }
  }
  return {};
}

std::string_view DescriptionSourceName(DescriptionSource source) {
  switch (source) {
    case DescriptionSource::Module:
      return "module";
    case DescriptionSource::Documentation:
      return "documentation";
    case DescriptionSource::System:
      break;
  }
  return "system";
}

std::string_view TrimTrailingSpace(std::string_view text) {
  const std::size_t end = text.find_last_not_of(" \t\r\n");
  return text.substr(0, end == std::string_view::npos ? 0 : end + 1);
}

}  // namespace quillon
