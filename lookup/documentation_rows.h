// The documentation's tables of the definitions database: texts, remedies, bug-check
// parameters and cases, and setup's extend codes. Each answer is one indexed statement; the
// language is chosen as the message tables choose theirs: the one named, another region of its
// language, else en-US.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/error_type.h"
#include "lookup/database_connection.h"
#include "lookup/sqlite_handles.h"

namespace quillon {

struct DocumentedText {
  std::string text;
  std::string page;  // its path inside the published repository

  bool operator==(const DocumentedText&) const = default;
};

struct BugCheckParameterText {
  int number = 1;  // 1-4
  std::string meaning;
};

// A row of a bug check's table of causes: when parameter holds value, the cause is cause and
// the parameters mean meanings (empty: as the general table says).
struct BugCheckCaseText {
  int parameter = 1;
  std::optional<std::uint32_t> value;  // nothing: the page's "other values"
  std::string valueText;
  std::string cause;
  std::array<std::string, 4> meanings;
};

struct SetupStepName {
  unsigned number = 0;
  std::string name;
  std::string text;  // empty when the pages give none
};

// What the resolution pages say of one result and extend code together.
struct SetupPairText {
  std::string cause;
  std::vector<DocumentedText> remedies;
};

// Setup's tables whole, read once: a few hundred rows, asked by any scan worker.
struct SetupTables {
  std::map<unsigned, SetupStepName> phases;
  std::map<unsigned, SetupStepName> operations;
  std::map<std::pair<std::uint32_t, std::uint32_t>, SetupPairText> pairs;  // result, extend
};

struct DocumentedCodeRef {
  ErrorType type = ErrorType::Win32;
  std::uint32_t value = 0;
};

// A statement that fails while it reads (a damaged page) is noted as the database's failure,
// as the kinds' tables' are; a database made before the documentation's tables finds nothing.
class DocumentationRows {
 public:
  // Reads through database, which the definitions' rows opened (and outlives these rows);
  // language is a tag such as "de-DE".
  DocumentationRows(const DatabaseConnection& database, std::string_view language);

  std::optional<DocumentedText> Description(ErrorType type, std::uint32_t value) const;
  std::vector<DocumentedText> Remedies(ErrorType type, std::uint32_t value) const;
  std::vector<BugCheckParameterText> Parameters(std::uint32_t stop) const;
  std::vector<BugCheckCaseText> Cases(std::uint32_t stop) const;
  // The phases' and operations' names, and with withPairs the pairs' causes and remedies.
  SetupTables ReadSetupTables(bool withPairs) const;
  // The codes whose text in the chosen language (or English) holds part, without regard to
  // ASCII case, ordered by kind and value.
  std::vector<DocumentedCodeRef> SearchTexts(std::string_view part) const;
  // True when the database has the documentation's texts (one made before them has no table
  // for them; the generator fills the table whenever it makes it).
  bool HasDescriptions() const;
  // Every value some kind's text documents, in any order (a value may repeat).
  std::vector<std::uint32_t> DocumentedValues() const;

 private:
  // The statement of text, prepared once and kept, reset, with the language bound as ?1 (the
  // tag) and ?2 (its language's pattern); null when it cannot be prepared.
  sqlite3_stmt* Prepare(const std::string& text) const;
  // text prepared to be stepped once through, or null as Prepare's.
  SqliteStatement PrepareOnce(const std::string& text) const;
  bool Step(sqlite3_stmt* statement) const { return database_.Step(statement); }

  const DatabaseConnection& database_;
  std::string language_;
  std::string languagePattern_;  // "de-%"
  mutable std::unordered_map<std::string, SqliteStatement> statements_;
};

}  // namespace quillon
