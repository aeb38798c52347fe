// quillon-cli --search-text: every code whose description holds a text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/answers.h"
#include "lookup/define_rows.h"
#include "lookup/file_message_source.h"

namespace quillon {

// text folded for a loose match: every letter folded to one case (Unicode's simple case
// folding: Ř and ř, Ł and ł, Д and д match), every run of blanks (spaces, tabs, line breaks)
// one space, none at either end.
std::string FoldForSearch(std::string_view text);

// Every code whose description (as a lookup of it shows it) holds needle, ordered by kind and
// then by value taken as unsigned. Every table is read once; a code is a candidate for the
// kinds its table answers, and an HRESULT that wraps a found Win32 code (0x80070005) is one
// when the database names it.
std::vector<KindAnswer> SearchDescriptions(FileMessageSource& messages, const DefineRows& defines,
                                           std::string_view needle);

}  // namespace quillon
