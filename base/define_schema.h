// The definitions database's layout, shared by the generator that writes it and the program
// that reads it.
#pragma once

#include <string_view>

namespace quillon {

inline constexpr std::string_view kDefinesFileName = "defines.db3";

// One table per ErrorType, named ErrorTypeName(type), with these columns.
inline constexpr std::string_view kCodeColumn = "ErrNum";  // the code as a signed 32-bit integer
inline constexpr std::string_view kNameColumn = "Define";  // the define name, COLLATE NOCASE
inline constexpr std::string_view kHeaderColumn = "Header";  // the header that declares it

}  // namespace quillon
