#include "core/query_answers.h"

#include <algorithm>
#include <utility>

#include "core/documentation.h"

namespace quillon {

PastedQuery ReadPastedQuery(std::string_view query) {
  if (std::optional<BugCheckArguments> bugCheck = ReadBugCheckArguments(query)) {
    return {{{Reading{ReadingKind::Hex, bugCheck->code, {}}}, {}}, bugCheck, std::nullopt};
  }
  if (std::optional<SetupPair> pair = ReadSetupPair(query)) {
    return {{{Reading{ReadingKind::Hex, pair->result, {}}}, {}}, std::nullopt, pair};
  }
  return {ReadQuery(query), std::nullopt, std::nullopt};
}

void AddPasted(const PastedQuery& pasted, const DocumentationRows* documentation,
               const SetupTables* setup, ReadingAnswer& answer) {
  if (documentation != nullptr) {
    AddDocumentation(answer, *documentation);
  }
  if (pasted.bugCheck) {
    std::erase_if(answer.matches,
                  [](const KindAnswer& match) { return match.type != ErrorType::Stop; });
    for (KindAnswer& match : answer.matches) {
      match.documentation.arguments = pasted.bugCheck->arguments;
    }
  }
  if (pasted.pair && setup != nullptr) {
    answer.documentation.extend = ReadExtend(pasted.pair->result, pasted.pair->extend, *setup);
  }
}

QueryOutcome QueryAnswers::Ask(std::string_view query) {
  // A long run of queries (a list fed on standard input) pays for reading the tables' values
  // and names once; then a code or name that no table holds costs no statement.
  if (++asked_ == kQueriesBeforeIndex) {
    defines_.IndexValues();
  }
  const PastedQuery pasted = ReadPastedQuery(query);
  QueryOutcome outcome;
  if (pasted.readings.readings.empty()) {
    outcome.rejection = pasted.readings.rejection;
    return outcome;
  }
  if (pasted.pair && setupRows_ != nullptr && !setup_) {
    setup_ = setupRows_->ReadSetupTables(documentation_ != nullptr);
  }
  for (const Reading& reading : pasted.readings.readings) {
    outcome.answers.push_back(Answer(reading, messages_, defines_));
    AddPasted(pasted, documentation_, setup_ ? &*setup_ : nullptr, outcome.answers.back());
  }
  if (defines_.Failure()) {
    outcome.answers.clear();
    outcome.tablesFailed = true;
  }
  return outcome;
}

AskAnswer DocumentedAsk(MessageSource& messages, DefineRows& defines,
                        const DocumentationRows* documentation) {
  return [&messages, &defines, documentation](const Reading& reading) {
    ReadingAnswer answer = Answer(reading, messages, defines);
    if (documentation != nullptr) {
      AddDocumentation(answer, *documentation);
    }
    return defines.Failure() ? std::nullopt : std::optional<ReadingAnswer>(std::move(answer));
  };
}

namespace {

constexpr bool IsSeparator(char c) {
  return c == ' ' || c == '\t' || c == ',';
}

void AddWords(std::string_view line, std::vector<std::string>& queries) {
  std::size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && IsSeparator(line[at])) {
      ++at;
    }
    const std::size_t start = at;
    while (at < line.size() && !IsSeparator(line[at])) {
      ++at;
    }
    if (at > start) {
      queries.emplace_back(line.substr(start, at - start));
    }
  }
}

}  // namespace

std::vector<std::string> QueriesOfText(std::string_view text) {
  text = WithoutByteOrderMark(text);
  std::vector<std::string> queries;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = TrimSpace(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    if (line.empty()) {
      continue;
    }
    const bool several = line.find_first_of(" \t,") != std::string_view::npos;
    if (several && ReadPastedQuery(line).readings.readings.empty()) {
      AddWords(line, queries);
    } else {
      queries.emplace_back(line);
    }
  }
  return queries;
}

}  // namespace quillon
