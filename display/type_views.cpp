#include "display/type_views.h"

#include <utility>

#include "base/code_bits.h"
#include "display/facility_names.h"
#include "lookup/message_lookup.h"
#include "query/text_routines.h"

namespace quillon {

namespace {

std::string DefineBoxText(ErrorType type, std::uint32_t code, QueryMode mode,
                          const DefineSource& defines) {
  if (mode == QueryMode::Number) {
    return defines.NameOfValue(type, code).value_or(std::string(kUnknownText));
  }
  std::string text;
  return JoinStrings(text, {FormatSigned(code), "\n", "0x", FormatHex8(code)});
}

}  // namespace

std::string CodeText(std::uint32_t code) {
  return FormatSigned(CodeLowWord(code));
}

std::string_view StatusText(ErrorType type, std::uint32_t code) {
  switch (type) {
    case ErrorType::Win32:
      return CodeLowWord(code) == 0 ? kSuccessText : kFailureText;
    case ErrorType::Hresult:
      return CodeTopBit(code) == 0 ? kSuccessText : kFailureText;
    case ErrorType::NtStatus: {
      constexpr std::array<std::string_view, 4> kBySeverity = {kSuccessText, kInformationText,
                                                               kWarningText, kErrorText};
      return kBySeverity[CodeSeverity(code)];
    }
    case ErrorType::Stop:
      return kStopStatusText;
  }
  return kStopStatusText;
}

std::string_view FacilityText(ErrorType type, std::uint32_t code) {
  switch (type) {
    case ErrorType::Win32:
      return kWin32FacilityText;
    case ErrorType::Hresult:
      return HresultFacilityName(CodeFacility(code));
    case ErrorType::NtStatus:
      return NtstatusFacilityName(CodeFacility(code));
    case ErrorType::Stop:
      break;
  }
  return {};
}

const std::string& FieldText(const ViewFields& fields, ResultField field) {
  switch (field) {
    case ResultField::Type:
      return fields.type;
    case ResultField::Status:
      return fields.status;
    case ResultField::Code:
      return fields.code;
    case ResultField::Facility:
      return fields.facility;
    case ResultField::DefineBox:
      return fields.defineBox;
    case ResultField::Description:
      break;
  }
  return fields.description;
}

ViewFields TypeView(ErrorType type, std::uint32_t code, QueryMode mode, MessageSource& messages,
                    const DefineSource& defines) {
  ViewFields fields;
  fields.type = ErrorTypeName(type);
  fields.status = StatusText(type, code);
  fields.code = CodeText(code);
  fields.facility = FacilityText(type, code);
  // A Win32 code that cannot be one (only the database can store such) shows no description.
  LookupOutcome lookup = Lookup(type, code, LookupMode::Show, messages);
  if (lookup.description) {
    fields.description = std::move(*lookup.description);
  }
  fields.defineBox = DefineBoxText(type, code, mode, defines);
  return fields;
}

}  // namespace quillon
