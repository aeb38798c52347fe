// Text made safe and readable for a terminal: control characters shown escaped, and colour
// for what a reader looks for first.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

enum class ColorChoice { Auto, Always, Never };

// What a piece of text is, which picks its colour.
enum class Paint {
  Plain,
  Kind,   // Win32, HRESULT, NTSTATUS, STOP
  Name,   // a define name
  Found,  // the code a scan found in a line
};

// True when NO_COLOR's value (null when unset) asks for no colour: set and not empty.
bool NoColorRequested(const char* noColorValue);

// Colour for --color=always; for auto only on a terminal and when NO_COLOR asks for none.
// An explicit request on the command line beats the environment.
bool UseColor(ColorChoice choice, bool outputIsTerminal, bool noColor);

// Appends text with every control character but the tab escaped, so that a log line or a
// table's text can neither move the cursor nor send the terminal a command: C0 controls and
// DEL as "\x1b", UTF-8 encoded C1 controls (a terminal may take U+009B as CSI) as "\u009b", and
// a byte 0x80 to 0x9F that is no part of a UTF-8 character (a raw C1 control) as "\x9b".
// With color, text is wrapped in paint's colour; Plain is never coloured.
void AppendTerminalText(std::string& out, std::string_view text, Paint paint = Paint::Plain,
                        bool color = false);

// A piece of a line: where it starts (a byte offset) and how many bytes it takes.
struct TextSpan {
  std::size_t start = 0;
  std::size_t size = 0;
};

// True when text is printable ASCII and tabs only: what AppendTerminalText appends as it is.
bool IsPlainText(std::string_view text);

// Appends line escaped as AppendTerminalText does, with each span painted Found when color is
// on, as grep marks a match. Spans come in the order of the line; one that starts before the
// previous one ends or does not lie wholly in line (a line cut short to be shown) stays plain.
void AppendMarkedLine(std::string& out, std::string_view line, const std::vector<TextSpan>& spans,
                      bool color);

// text with each line break (CR LF, LF or CR) made one blank, for a text shown on one line.
std::string OnOneLine(std::string_view text);

// text escaped as AppendTerminalText does, without colour.
std::string TerminalText(std::string_view text);

}  // namespace quillon
