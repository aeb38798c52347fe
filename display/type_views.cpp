#include "display/type_views.h"

#include <array>
#include <optional>

#include "display/facility_names.h"
#include "lookup/code_bits.h"
#include "lookup/message_lookup.h"
#include "query/text_routines.h"

namespace quillon {

namespace {

constexpr int kShowModeWord = static_cast<int>(LookupMode::Show);

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

// STOP codes have no facility; its view never asks.
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

// After a define search the box shows the number itself, signed and as eight hex digits.
std::string DefineBoxText(ErrorType type, std::uint32_t code, int queryMode, DefineNames& defines) {
  if (queryMode == 0) {
    return defines.ShowDefineName(ErrorTypeName(type), FormatSigned(code));
  }
  std::string text;
  return JoinStrings(text, {FormatSigned(code), "\r\n", "0x", FormatHex8(code)});
}

class ViewWriter {
 public:
  ViewWriter(ErrorType type, std::uint32_t code, int queryMode, MessageSource& messages,
             DefineNames& defines)
      : type_(type), code_(code), queryMode_(queryMode), messages_(messages), defines_(defines) {}

  void Type() { Write(ResultField::Type, ErrorTypeName(type_)); }
  void Code() { Write(ResultField::Code, FormatSigned(CodeLowWord(code_))); }
  void Status() { Write(ResultField::Status, StatusText(type_, code_)); }
  void Facility() { Write(ResultField::Facility, FacilityText(type_, code_)); }
  // A Win32 code that is not one (only the database can store such) leaves Description alone.
  void Description() {
    LookupOutcome outcome = Lookup(type_, code_, kShowModeWord, messages_);
    if (outcome.description) {
      Write(ResultField::Description, std::move(*outcome.description));
    }
  }
  void DefineBox() {
    Write(ResultField::DefineBox, DefineBoxText(type_, code_, queryMode_, defines_));
  }

  std::vector<FieldWrite> Take() { return std::move(writes_); }

 private:
  void Write(ResultField field, std::string_view text) {
    writes_.push_back({field, std::string(text)});
  }
  void Write(ResultField field, std::string&& text) { writes_.push_back({field, std::move(text)}); }

  ErrorType type_;
  std::uint32_t code_;
  int queryMode_;
  MessageSource& messages_;
  DefineNames& defines_;
  std::vector<FieldWrite> writes_;
};

}  // namespace

std::vector<FieldWrite> PlanTypeView(ErrorType type, std::uint32_t code, int queryMode,
                                     MessageSource& messages, DefineNames& defines) {
  ViewWriter view(type, code, queryMode, messages, defines);
  switch (type) {
    case ErrorType::Win32:
      // The Win32 command names the type only after its view has run.
      view.Code();
      view.Status();
      view.Facility();
      view.Description();
      view.DefineBox();
      view.Type();
      break;
    case ErrorType::Hresult:
      view.Type();
      view.Code();
      view.Status();
      view.Facility();
      view.Description();
      view.DefineBox();
      break;
    case ErrorType::NtStatus:
      view.Type();
      view.Code();
      view.Status();
      view.Description();
      view.DefineBox();
      view.Facility();
      break;
    case ErrorType::Stop:
      // The command sets Type, then the view sets it again before its Status.
      view.Type();
      view.Type();
      view.Status();
      view.Code();
      view.Description();
      view.DefineBox();
      break;
  }
  return view.Take();
}

}  // namespace quillon
