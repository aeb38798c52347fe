// Text made safe and readable for a terminal: control characters shown escaped, and colour
// for what a reader looks for first.
#pragma once

#include <string>
#include <string_view>

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
// DEL as "\x1b", UTF-8 encoded C1 controls (a terminal may take U+009B as CSI) as "\u009b".
// With color, text is wrapped in paint's colour; Plain is never coloured.
void AppendTerminalText(std::string& out, std::string_view text, Paint paint = Paint::Plain,
                        bool color = false);

// text escaped as AppendTerminalText does, without colour.
std::string TerminalText(std::string_view text);

}  // namespace quillon
