// What the published documentation adds to the command line's answers: texts after every
// table of the user's, remedies, a bug check's parameters and causes, setup's extend codes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/answers.h"
#include "lookup/documentation_rows.h"
#include "lookup/message_source.h"

namespace quillon {

// A message source whose texts are source's, and the documentation's where none of source's
// tables has one.
class DocumentedMessages final : public MessageSource {
 public:
  DocumentedMessages(MessageSource& source, const DocumentationRows& documentation)
      : source_(source), documentation_(documentation) {}
  std::optional<std::string> Message(MessageSourceId id, std::uint32_t code) override {
    return source_.Message(id, code);
  }
  std::optional<std::string> FurtherMessage(ErrorType type, std::uint32_t code) override {
    return source_.FurtherMessage(type, code);
  }
  std::optional<std::string> DocumentedMessage(ErrorType type, std::uint32_t value) override;

 private:
  MessageSource& source_;
  const DocumentationRows& documentation_;
};

// Adds each match's remedies, and a bug check's parameters and table of causes.
void AddDocumentation(ReadingAnswer& answer, const DocumentationRows& documentation);

// The extend code beside a result code, named and explained as far as the tables go.
ExtendAnswer ReadExtend(std::uint32_t result, std::uint32_t extend, const SetupTables& setup);

// The case of a table of causes that the arguments select: the first whose parameter holds
// its value, else the "other values" row of a parameter some row keys; null when none.
const BugCheckCaseText* SelectedCase(const std::vector<BugCheckCaseText>& cases,
                                     const std::array<std::uint64_t, 4>& arguments);

}  // namespace quillon
