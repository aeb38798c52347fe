// What each type view shows in the six result fields for the code stored for its kind.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/error_type.h"
#include "lookup/define_source.h"
#include "lookup/message_source.h"
#include "lookup/search.h"

namespace quillon {

// The six result fields, in the order they are cleared.
enum class ResultField { Type = 0, Status, Code, Facility, DefineBox, Description };

inline constexpr std::array<ResultField, 6> kResultFields = {
    ResultField::Type,     ResultField::Status,    ResultField::Code,
    ResultField::Facility, ResultField::DefineBox, ResultField::Description};

// The texts of one view; an empty text is an empty field. Line breaks of the define/code box
// are '\n'; the Description is the message source's text as it came.
struct ViewFields {
  std::string type;
  std::string status;
  std::string code;
  std::string facility;  // empty for STOP, which has no facility
  std::string defineBox;
  std::string description;

  bool operator==(const ViewFields&) const = default;
};

const std::string& FieldText(const ViewFields& fields, ResultField field);

// The Code, Status and Facility texts of a kind's view of code; STOP has no facility ("").
std::string CodeText(std::uint32_t code);
std::string_view StatusText(ErrorType type, std::uint32_t code);
std::string_view FacilityText(ErrorType type, std::uint32_t code);

// The view of type for the code stored for it, after a search in mode. The define/code box
// names the code after a number search ("*** Unknown ***" when no row does) and shows the
// code signed and in hex after a define search.
ViewFields TypeView(ErrorType type, std::uint32_t code, QueryMode mode, MessageSource& messages,
                    const DefineSource& defines);

}  // namespace quillon
