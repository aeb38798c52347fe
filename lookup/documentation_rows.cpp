#include "lookup/documentation_rows.h"

#include <sqlite3.h>

#include "base/define_schema.h"

namespace quillon {

namespace {

// The rank of a row's language, and the rows of no chosen language left out: ?1 the tag named,
// ?2 any region of its language, then US English.
constexpr std::string_view kLanguageRank =
    "CASE WHEN Lang = ?1 THEN 0 WHEN Lang LIKE ?2 THEN 1 ELSE 2 END";
constexpr std::string_view kLanguageChosen = "(Lang = ?1 OR Lang LIKE ?2 OR Lang = 'en-US')";

// The same rank read in the loop rather than sorted by: three columns of 0 or 1, which
// LanguageRankAt turns into 0 to 2, or kNoLanguage for a row of no chosen language.
constexpr std::string_view kLanguageRankColumns = "Lang = ?1, Lang LIKE ?2, Lang = 'en-US'";
constexpr int kNoLanguage = 3;

int LanguageRankAt(sqlite3_stmt* statement, int first) {
  for (int rank = 0; rank < kNoLanguage; ++rank) {
    if (sqlite3_column_int(statement, first + rank) != 0) {
      return rank;
    }
  }
  return kNoLanguage;
}

void BindKind(sqlite3_stmt* statement, int index, ErrorType type, std::uint32_t value) {
  const std::string_view kind = ErrorTypeName(type);
  sqlite3_bind_text(statement, index, kind.data(), static_cast<int>(kind.size()), SQLITE_STATIC);
  sqlite3_bind_int(statement, index + 1, static_cast<std::int32_t>(value));
}

// Hands read each row of the best-ranked language only: the statements order their rows by
// the language's rank, then by language, so that language's rows come first and together.
template <typename Read>
void ReadBestLanguage(const DatabaseConnection& database, sqlite3_stmt* statement,
                      int languageColumn, Read read) {
  std::string language;
  while (database.Step(statement)) {
    std::string rowLanguage = ColumnText(statement, languageColumn);
    if (language.empty()) {
      language = std::move(rowLanguage);
    } else if (rowLanguage != language) {
      break;
    }
    read(statement);
  }
}

// "de-DE" -> "de-%": the language's other regions.
std::string LanguagePattern(std::string_view tag) {
  const std::size_t dash = tag.find('-');
  return std::string(tag.substr(0, dash)) + "-%";
}

}  // namespace

// The definitions' connection: the schema is read once, and the read lock is the one kept.
DocumentationRows::DocumentationRows(const DatabaseConnection& database, std::string_view language)
    : database_(database), language_(language), languagePattern_(LanguagePattern(language)) {}

SqliteStatement DocumentationRows::PrepareOnce(const std::string& text) const {
  SqliteStatement statement = PrepareStatement(database_.Get(), text);
  // SQLITE_ERROR is SQL that names what the schema lacks: a database made before the
  // documentation. Anything else (a damaged page, a failed read) is the database's failure.
  if (statement == nullptr && database_.Get() != nullptr &&
      sqlite3_errcode(database_.Get()) != SQLITE_ERROR) {
    database_.NoteFailure();
  }
  return statement;
}

sqlite3_stmt* DocumentationRows::Prepare(const std::string& text) const {
  SqliteStatement& slot = statements_[text];
  if (slot) {
    // The languages stay bound: binding the LIKE's pattern again (or clearing it) makes SQLite
    // prepare the statement anew at its next step, a parse per code answered.
    sqlite3_reset(slot.get());
    return slot.get();
  }
  slot = PrepareOnce(text);
  sqlite3_stmt* const statement = slot.get();
  if (statement != nullptr) {
    sqlite3_bind_text(statement, 1, language_.data(), static_cast<int>(language_.size()),
                      SQLITE_STATIC);
    sqlite3_bind_text(statement, 2, languagePattern_.data(),
                      static_cast<int>(languagePattern_.size()), SQLITE_STATIC);
  }
  return statement;
}

std::vector<std::uint32_t> DocumentationRows::DocumentedValues() const {
  // The generator's list of them, else every key of the texts, in the key's order: a code's
  // texts in several languages come together.
  std::vector<std::uint32_t> values;
  SqliteStatement statement = PrepareOnce("SELECT ErrNum FROM " + std::string(kDescribedCodeTable));
  if (!statement) {
    statement = PrepareOnce("SELECT ErrNum FROM Description");
  }
  while (statement && Step(statement.get())) {
    const auto value = static_cast<std::uint32_t>(sqlite3_column_int64(statement.get(), 0));
    if (values.empty() || values.back() != value) {
      values.push_back(value);
    }
  }
  return values;
}

std::optional<DocumentedText> DocumentationRows::Description(ErrorType type,
                                                             std::uint32_t value) const {
  // The few rows of a code come in the key's order (by language); the best-ranked one is chosen
  // here, as an ORDER BY on the rank would build a sorter for every code the scan answers. The
  // languages not chosen are passed over here too: a WHERE of three alternatives costs more to
  // prepare than the rows of the other languages cost to step over.
  sqlite3_stmt* const statement =
      Prepare("SELECT Text, Page, " + std::string(kLanguageRankColumns) +
              " FROM Description WHERE Kind = ?3 AND ErrNum = ?4");
  if (!statement) {
    return std::nullopt;
  }
  BindKind(statement, 3, type, value);
  std::optional<DocumentedText> best;
  int bestRank = kNoLanguage;
  while (bestRank > 0 && Step(statement)) {
    const int rank = LanguageRankAt(statement, 2);
    if (rank < bestRank) {
      bestRank = rank;
      best = DocumentedText{ColumnText(statement, 0), ColumnText(statement, 1)};
    }
  }
  return best;
}

std::vector<DocumentedText> DocumentationRows::Remedies(ErrorType type, std::uint32_t value) const {
  // In the key's order, which needs no sorter: the first language of the best rank is the one
  // an ORDER BY on the rank, then the language, would give first, its steps in order.
  std::vector<DocumentedText> remedies;
  sqlite3_stmt* const statement =
      Prepare("SELECT Text, Page, Lang, " + std::string(kLanguageRankColumns) +
              " FROM Remedy WHERE Kind = ?3 AND ErrNum = ?4 ORDER BY Lang, Seq");
  if (!statement) {
    return remedies;
  }
  BindKind(statement, 3, type, value);
  std::string language;
  int bestRank = kNoLanguage;
  while (Step(statement)) {
    const int rank = LanguageRankAt(statement, 3);
    if (rank > bestRank || rank == kNoLanguage) {
      continue;
    }
    std::string rowLanguage = ColumnText(statement, 2);
    if (rank < bestRank) {
      bestRank = rank;
      language = std::move(rowLanguage);
      remedies.clear();
    } else if (rowLanguage != language) {
      continue;
    }
    remedies.push_back({ColumnText(statement, 0), ColumnText(statement, 1)});
  }
  return remedies;
}

std::vector<BugCheckParameterText> DocumentationRows::Parameters(std::uint32_t stop) const {
  std::vector<BugCheckParameterText> parameters;
  sqlite3_stmt* const statement = Prepare(
      "SELECT Number, Meaning, Lang FROM BugCheckParameter WHERE ErrNum = ?3 AND " +
      std::string(kLanguageChosen) + " ORDER BY " + std::string(kLanguageRank) + ", Lang, Number");
  if (!statement) {
    return parameters;
  }
  sqlite3_bind_int(statement, 3, static_cast<std::int32_t>(stop));
  ReadBestLanguage(database_, statement, 2, [&parameters](sqlite3_stmt* row) {
    parameters.push_back({sqlite3_column_int(row, 0), ColumnText(row, 1)});
  });
  return parameters;
}

std::vector<BugCheckCaseText> DocumentationRows::Cases(std::uint32_t stop) const {
  std::vector<BugCheckCaseText> cases;
  sqlite3_stmt* const statement = Prepare(
      "SELECT Parameter, Value, ValueText, Cause, Parameter1, Parameter2, Parameter3, "
      "Parameter4, Lang FROM BugCheckCase WHERE ErrNum = ?3 AND " +
      std::string(kLanguageChosen) + " ORDER BY " + std::string(kLanguageRank) + ", Lang, Seq");
  if (!statement) {
    return cases;
  }
  sqlite3_bind_int(statement, 3, static_cast<std::int32_t>(stop));
  ReadBestLanguage(database_, statement, 8, [&cases](sqlite3_stmt* row) {
    BugCheckCaseText found;
    found.parameter = sqlite3_column_int(row, 0);
    if (sqlite3_column_type(row, 1) != SQLITE_NULL) {
      found.value = static_cast<std::uint32_t>(sqlite3_column_int64(row, 1));
    }
    found.valueText = ColumnText(row, 2);
    found.cause = ColumnText(row, 3);
    for (int i = 0; i < 4; ++i) {
      found.meanings[static_cast<std::size_t>(i)] = ColumnText(row, 4 + i);
    }
    cases.push_back(std::move(found));
  });
  return cases;
}

SetupTables DocumentationRows::ReadSetupTables(bool withPairs) const {
  SetupTables tables;
  const auto readSteps = [this](const char* table, std::map<unsigned, SetupStepName>& steps) {
    const SqliteStatement statement =
        PrepareOnce(std::string("SELECT Number, Name, Text FROM ") + table);
    while (statement && Step(statement.get())) {
      const auto number = static_cast<unsigned>(sqlite3_column_int(statement.get(), 0));
      steps[number] = {number, ColumnText(statement.get(), 1), ColumnText(statement.get(), 2)};
    }
  };
  readSteps("SetupPhase", tables.phases);
  readSteps("SetupOperation", tables.operations);
  if (!withPairs) {
    return tables;
  }
  const auto key = [](sqlite3_stmt* statement) {
    return std::pair(static_cast<std::uint32_t>(sqlite3_column_int64(statement, 0)),
                     static_cast<std::uint32_t>(sqlite3_column_int64(statement, 1)));
  };
  const SqliteStatement pairs = PrepareOnce("SELECT Result, Extend, Cause FROM SetupPair");
  while (pairs && Step(pairs.get())) {
    tables.pairs[key(pairs.get())].cause = ColumnText(pairs.get(), 2);
  }
  const SqliteStatement remedies = PrepareOnce(
      "SELECT Result, Extend, Text, Page FROM SetupPairRemedy ORDER BY Result, Extend, Seq");
  while (remedies && Step(remedies.get())) {
    tables.pairs[key(remedies.get())].remedies.push_back(
        {ColumnText(remedies.get(), 2), ColumnText(remedies.get(), 3)});
  }
  return tables;
}

std::vector<DocumentedCodeRef> DocumentationRows::SearchTexts(std::string_view part) const {
  std::vector<DocumentedCodeRef> found;
  sqlite3_stmt* const statement = Prepare(
      "SELECT DISTINCT Kind, ErrNum FROM Description WHERE " + std::string(kLanguageChosen) +
      " AND instr(lower(Text), lower(?3)) > 0 " + "ORDER BY Kind, ErrNum & 0xFFFFFFFF");
  if (!statement) {
    return found;
  }
  sqlite3_bind_text(statement, 3, part.data(), static_cast<int>(part.size()), SQLITE_TRANSIENT);
  while (Step(statement)) {
    const std::string kind = ColumnText(statement, 0);
    for (const ErrorType type : kErrorTypes) {
      if (ErrorTypeName(type) == kind) {
        found.push_back({type, static_cast<std::uint32_t>(sqlite3_column_int64(statement, 1))});
      }
    }
  }
  return found;
}

bool DocumentationRows::HasDescriptions() const {
  // Prepared, never run: stepping it would read a path of the table's pages down to its first
  // row, which no lookup needs.
  return PrepareOnce("SELECT 1 FROM Description") != nullptr;
}

}  // namespace quillon
