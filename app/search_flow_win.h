#pragma once

namespace quillon {

// Searches the query edit's text and shows the outcome.
void RunSearch();
// Sends the command of the first enabled type label; false when none is enabled.
bool SelectFirstMatch();

}  // namespace quillon
