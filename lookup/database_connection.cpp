#include "lookup/database_connection.h"

#include <sqlite3.h>

namespace quillon {

void DatabaseConnection::NoteFailure() const {
  if (!failure_ && connection_ != nullptr) {
    failure_ = sqlite3_errmsg(connection_.get());
  }
}

bool DatabaseConnection::Step(sqlite3_stmt* statement) const {
  const int stepped = sqlite3_step(statement);
  if (stepped != SQLITE_ROW && stepped != SQLITE_DONE) {
    NoteFailure();
  }
  return stepped == SQLITE_ROW;
}

}  // namespace quillon
