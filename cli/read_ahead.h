// A file's next piece read on a thread of its own while the scan splits the piece before: the
// kernel's copy of a cached file costs a scan a tenth of its time or more.
#pragma once

#include <memory>

#include "core/byte_source.h"

namespace quillon {

// Null where the platform has no threads (mingw's win32 thread model).
std::unique_ptr<ReadAhead> MakeThreadReadAhead();

}  // namespace quillon
