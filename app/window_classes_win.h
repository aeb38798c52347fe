#pragma once

namespace quillon {

// Registers KODA_MAIN, KODA_ABOUT and KODA_ERRTYPE, in that order.
void RegisterWindowClasses();

}  // namespace quillon
