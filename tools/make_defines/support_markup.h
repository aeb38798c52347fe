// The small pieces of Markdown and HTML that the support pages are written in, as plain
// text: the pages' cells, headings and paragraphs, and the codes they name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::make_defines {

// One line of plain text: tags dropped, links reduced to their text, Markdown escapes and
// emphasis undone, the common entities decoded, runs of blanks made one space, trimmed.
std::string PlainText(std::string_view markup);

// The lines a cell or a paragraph breaks into (at <br>, <p>, <li> and line ends), each plain
// text, empty ones dropped: a mitigation's steps.
std::vector<std::string> PlainLines(std::string_view markup);

// The codes a text names: "0x" and eight hexadecimal digits (an 'L' after them allowed), or
// eight bare digits starting with 8 or C, each a whole word. Pairs of setup are not split
// out here (FindSetupPairs).
std::vector<std::uint32_t> FindCodes(std::string_view text);

// Words that look like a code but are not one of eight digits ("0x8007002"): a page's typo
// that the report names.
std::vector<std::string> FindMalformedCodes(std::string_view text);

// True for a define name: upper-case letters, digits and at least one '_'.
bool IsDefineName(std::string_view text);

// The page's lines without their line ends (LF or CR LF) and without the front matter.
std::vector<std::string> PageLines(std::string_view page);

std::string LowerCase(std::string_view text);  // ASCII letters only
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

}  // namespace quillon::make_defines
