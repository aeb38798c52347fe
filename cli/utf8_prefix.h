// Where a stream of UTF-8 can be cut without splitting a character.
#pragma once

#include <cstddef>
#include <string_view>

namespace quillon {

// The length of text's longest start that ends on a whole character: a lead byte whose
// continuation bytes have not all come yet is left out with them. Bytes that are no UTF-8 at
// all count as whole, so that nothing waits for ever.
std::size_t WholeUtf8Prefix(std::string_view text);

}  // namespace quillon
