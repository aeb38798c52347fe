// What each type view writes into the result panel, in the order it writes it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "lookup/define_database.h"
#include "lookup/error_type.h"
#include "lookup/message_source.h"

namespace quillon {

// The six result fields, in the order ClearResultPanel empties them.
enum class ResultField { Type = 0, Status, Code, Facility, DefineBox, Description };

struct FieldWrite {
  ResultField field;
  std::string text;  // empty: the field is emptied

  bool operator==(const FieldWrite&) const = default;
};

// Names a code for the define/code box after a number search; the database implements it.
class DefineNames {
 public:
  virtual ~DefineNames() = default;
  virtual std::string ShowDefineName(std::string_view table, std::string_view numberText) = 0;
};

// The writes of one type command (after ClearResultPanel level 1), Type field included, for
// the code stored in the kind's label and the query edit's QueryMode.
std::vector<FieldWrite> PlanTypeView(ErrorType type, std::uint32_t code, int queryMode,
                                     MessageSource& messages, DefineNames& defines);

}  // namespace quillon
