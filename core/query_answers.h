// A query answered as the command line answers it: its readings, each kind's answer, the
// documentation's part, and what was pasted with the code (a bug check's arguments, setup's
// extend code). Every front end that takes typed or pasted queries asks through here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/answers.h"
#include "core/bug_check_arguments.h"
#include "core/readings.h"
#include "core/scan.h"
#include "lookup/define_rows.h"
#include "lookup/documentation_rows.h"
#include "lookup/message_source.h"
#include "query/setup_pair.h"

namespace quillon {

// A query that is a bug check with its arguments, or setup's result and extend code, is read
// as the code it names; what it adds is kept beside the answer.
struct PastedQuery {
  QueryReadings readings;
  std::optional<BugCheckArguments> bugCheck;
  std::optional<SetupPair> pair;
};

PastedQuery ReadPastedQuery(std::string_view query);

// The documentation's part of the answer (documentation null: none), and what was pasted with
// the code: a bug check's arguments (the code is then only a bug check), setup's extend code
// (named from setup; null: left unnamed).
void AddPasted(const PastedQuery& pasted, const DocumentationRows* documentation,
               const SetupTables* setup, ReadingAnswer& answer);

struct QueryOutcome {
  std::vector<ReadingAnswer> answers;  // one per reading; empty when rejected or failed
  std::string_view rejection;          // why the text is no query; empty when it is one
  // The database failed while the query was answered: answers from it may lack what the failed
  // statement would have found, so none is given.
  bool tablesFailed = false;
};

class QueryAnswers {
 public:
  // documentation: its texts and remedies (null: left out); setupRows: where setup's extend
  // codes are named (null: they are not). All outlive this.
  QueryAnswers(MessageSource& messages, DefineRows& defines, const DocumentationRows* documentation,
               const DocumentationRows* setupRows)
      : messages_(messages),
        defines_(defines),
        documentation_(documentation),
        setupRows_(setupRows) {}

  QueryOutcome Ask(std::string_view query);

 private:
  static constexpr std::uint64_t kQueriesBeforeIndex = 64;

  MessageSource& messages_;
  DefineRows& defines_;
  const DocumentationRows* documentation_;
  const DocumentationRows* setupRows_;
  std::optional<SetupTables> setup_;  // read at the first pair asked
  std::uint64_t asked_ = 0;
};

// The scan's question: a reading answered with the documentation's part (null: none); nothing
// once the database failed.
AskAnswer DocumentedAsk(MessageSource& messages, DefineRows& defines,
                        const DocumentationRows* documentation);

// The queries a pasted text holds: one per line (blank lines none, blanks around a line and a
// leading byte-order mark dropped), and a line that is no query as a whole but holds blanks or
// commas, word by word (a bug check with its arguments or a setup pair stays one query).
std::vector<std::string> QueriesOfText(std::string_view text);

}  // namespace quillon
