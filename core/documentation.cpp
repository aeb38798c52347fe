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

namespace {

template <typename Key, typename Value>
std::optional<Value> Find(const std::map<Key, Value>& map, const Key& key) {
  const auto found = map.find(key);
  return found == map.end() ? std::nullopt : std::optional<Value>(found->second);
}

}  // namespace

ExtendAnswer ReadExtend(std::uint32_t result, std::uint32_t extend, const SetupTables& setup) {
  ExtendAnswer answer;
  answer.value = extend;
  answer.phaseNumber = SetupPhase(extend);
  answer.operationNumber = SetupOperation(extend);
  answer.phase = Find(setup.phases, answer.phaseNumber);
  answer.operation = Find(setup.operations, answer.operationNumber);
  answer.pair = Find(setup.pairs, std::pair(result, extend));
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
