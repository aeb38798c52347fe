// Placeholder until the search flow lands.
#include "lookup/search_flow_win.h"

namespace quillon {

void RunSearch() {}
bool SelectFirstMatch() { return false; }

}  // namespace quillon
