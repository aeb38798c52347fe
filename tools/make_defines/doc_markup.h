// The pieces of the published pages' Markdown and HTML that the page readers share: numbers as
// the pages spell them, anchors, table rows and cells, and markup reduced to plain text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::make_defines {

// A code's value as the pages spell it: "5", "0x5", "0xC00D2711L", "0X800B010F", "-2147213311",
// "(HRESULT)0xC0AA0007L", "((HRESULT)0x80040001L)", "_HRESULT_TYPEDEF_(0x80270001L)" and
// "2147749890 (0x80041002)" (both spellings must agree). Nothing for anything else, or for a
// number that does not fit 32 bits.
std::optional<std::uint32_t> ParseDocValue(std::string_view text);

// "0x800007D0 (PDH_CSTATUS_NO_MACHINE)" or "BG_E_HTTP_ERROR_505 (0x801901F9)": a value and
// a name, in either order.
struct ValueAndName {
  std::uint32_t value = 0;
  std::string name;
};
std::optional<ValueAndName> ParseValueAndName(std::string_view text);

// A C identifier that reads as a code's name: an underscore in it, or six or more capitals
// and digits (WSAEACCES). A translated page's spaced-out name ("E _ ACCESSDENIED") is none.
bool IsCodeName(std::string_view text);

// The ids of the <span id="..."> anchors in text, in order, without a value some pages append
// to them ("NAME__0x801901F9_" is NAME).
std::vector<std::string> AnchorIds(std::string_view text);

// Markup reduced to text: tags, links, emphasis and escapes removed, entities decoded.
// Line-breaking tags (<br/>, <dt>, <p>, <li>, ...) become line ends; runs of blanks within a
// line become one. Lines are kept so that callers can tell paragraphs apart.
std::string MarkupText(std::string_view markup);

// Text joined onto one line: every run of blanks and line ends becomes one blank; trimmed.
std::string OneLine(std::string_view text);

// The non-empty lines (or paragraphs, split at blank lines) of plain text, each on one line.
std::vector<std::string> Lines(std::string_view text);
std::vector<std::string> Paragraphs(std::string_view text);

// One table as a page writes it, Markdown or HTML: the cells of its heading row (empty when
// it has none) and of each body row, as markup.
struct MarkupTable {
  std::vector<std::string> heading;
  std::vector<std::vector<std::string>> rows;
};

// Where a table starts and how far it reaches in a page's lines.
struct TableSpan {
  std::size_t first = 0;  // line index of its first line
  std::size_t end = 0;    // one past its last line
  MarkupTable table;
};

// Every table in lines (Markdown rows, or <table> ... </table>), in order.
std::vector<TableSpan> FindTables(const std::vector<std::string_view>& lines);

// The lines of text, without their line ends ('\r' removed too).
std::vector<std::string_view> SplitLines(std::string_view text);

// The page without its front matter (the "---" block that starts it), and the values listed
// under one of its keys ("api_name:" then "- NAME" lines).
std::string_view PageBody(std::string_view text);
std::vector<std::string> FrontMatterList(std::string_view text, std::string_view key);

}  // namespace quillon::make_defines
