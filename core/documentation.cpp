#include "core/documentation.h"

#include "query/setup_pair.h"

namespace quillon {

std::optional<std::string> DocumentedMessages::DocumentedMessage(ErrorType type,
                                                                 std::uint32_t value) {
  if (std::optional<DocumentedText> text = documentation_.Description(type, value)) {
    return std::move(text->text);
  }
  return std::nullopt;
}

void AddDocumentation(ReadingAnswer& answer, const DocumentationRows& documentation) {
  for (KindAnswer& match : answer.matches) {
    match.documentation.remedies = documentation.Remedies(match.type, match.value);
    if (match.type == ErrorType::Stop) {
      match.documentation.parameters = documentation.Parameters(match.value);
      match.documentation.cases = documentation.Cases(match.value);
    }
  }
}

ExtendAnswer ReadExtend(std::uint32_t result, std::uint32_t extend,
                        const DocumentationRows& documentation) {
  ExtendAnswer answer;
  answer.value = extend;
  answer.phaseNumber = SetupPhase(extend);
  answer.operationNumber = SetupOperation(extend);
  answer.phase = documentation.SetupPhase(answer.phaseNumber);
  answer.operation = documentation.SetupOperation(answer.operationNumber);
  answer.pair = documentation.SetupPair(result, extend);
  return answer;
}

const BugCheckCaseText* SelectedCase(const std::vector<BugCheckCaseText>& cases,
                                     const std::array<std::uint64_t, 4>& arguments) {
  const auto argument = [&arguments](int parameter) {
    return arguments[static_cast<std::size_t>(parameter - 1)];
  };
  for (const BugCheckCaseText& row : cases) {
    if (row.parameter >= 1 && row.parameter <= 4 && row.value &&
        argument(row.parameter) == *row.value) {
      return &row;
    }
  }
  for (const BugCheckCaseText& row : cases) {
    if (row.parameter >= 1 && row.parameter <= 4 && !row.value) {
      return &row;
    }
  }
  return nullptr;
}

}  // namespace quillon
