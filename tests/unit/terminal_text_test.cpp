#include "core/terminal_text.h"

#include <gtest/gtest.h>

#include <string>

namespace quillon {
namespace {

using namespace std::string_literals;

TEST(TerminalText, ControlCharactersAreShownEscapedAndEverythingElseAsItIs) {
  struct Case {
    const char* name;
    std::string text;
    std::string shown;
  };
  const Case cases[] = {
      {"plain", "Access denied.", "Access denied."},
      {"retitling sequence", "\x1b]0;owned\x07 done", "\\x1b]0;owned\\x07 done"},
      {"line ends", "a\r\nb", "a\\x0d\\x0ab"},
      {"tab kept", "a\tb", "a\tb"},
      {"nul and delete", "a\0b\x7f"s, "a\\x00b\\x7f"},
      {"C1 control in UTF-8",
       "x\xc2\x9b"
       "31m",
       "x\\u009b31m"},
      {"C1 bounds", "\xc2\x80\xc2\x9f\xc2\xa0", "\\u0080\\u009f\xc2\xa0"},
      {"other UTF-8", "caf\xc3\xa9 \xe2\x80\x94", "caf\xc3\xa9 \xe2\x80\x94"},
      {"lone lead byte at the end", "a\xc2", "a\xc2"},
      // Bytes 0x80 to 0x9F outside a UTF-8 character: a Latin-1 terminal's C1 controls.
      {"raw CSI",
       "x\x9b"
       "31m",
       "x\\x9b31m"},
      {"raw C1 bounds, other stray bytes kept", "\x80\x9f\xa0\xff", "\\x80\\x9f\xa0\xff"},
      {"lead byte then CSI", "\xc3\x9b", "\xc3\x9b"},
      {"CSI after a cut character", "\xe2\x9b", "\xe2\\x9b"},
      {"overlong form", "\xe0\x9b\x80", "\xe0\\x9b\\x80"},
      {"CSI inside a whole character", "\xe2\x9b\x94 \xf0\x9f\x98\x80",
       "\xe2\x9b\x94 \xf0\x9f\x98\x80"},
      {"backslash", "C:\\Windows", "C:\\Windows"},
      {"empty", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.shown, TerminalText(c.text));
  }
}

// Plain bytes are passed over eight at a time: a byte to escape, a tab or a character is
// found at every place of a longer text, and the printable edges pass whole.
TEST(TerminalText, EveryPlaceOfALongTextIsLookedAt) {
  const std::string plain = " ~}ABCDEFGHIJKLMNOPQRSTUVWXYZ";  // 0x20 and 0x7E, the edges
  struct Case {
    std::string inserted;
    std::string shown;
  };
  const Case cases[] = {
      {"\x1f", "\\x1f"}, {"\x7f", "\\x7f"},        {"\t", "\t"},
      {"\x9b", "\\x9b"}, {"\xc3\xa9", "\xc3\xa9"}, {"\xc2\x9b", "\\u009b"},
  };
  for (const Case& c : cases) {
    for (std::size_t at = 0; at <= plain.size(); ++at) {
      SCOPED_TRACE(c.shown + " at " + std::to_string(at));
      const std::string text = plain.substr(0, at) + c.inserted + plain.substr(at);
      EXPECT_EQ(plain.substr(0, at) + c.shown + plain.substr(at), TerminalText(text));
    }
  }
  EXPECT_EQ(plain + plain, TerminalText(plain + plain));
}

TEST(TerminalText, ColourWrapsTheEscapedTextOnlyWhenAskedAndNeverForPlainText) {
  struct Case {
    Paint paint;
    bool color;
    std::string shown;
  };
  const Case cases[] = {
      {Paint::Kind, true, "\x1b[1;36mWin\\x1b32\x1b[0m"},
      {Paint::Name, true, "\x1b[32mWin\\x1b32\x1b[0m"},
      {Paint::Found, true, "\x1b[1;31mWin\\x1b32\x1b[0m"},
      {Paint::Plain, true, "Win\\x1b32"},
      {Paint::Kind, false, "Win\\x1b32"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.paint) * 2 + c.color);
    std::string out = ">";
    AppendTerminalText(out,
                       "Win\x1b"
                       "32",
                       c.paint, c.color);
    EXPECT_EQ(">" + c.shown, out);
  }
}

TEST(TerminalText, AMarkedLineHasItsSpansPaintedLikeAMatchAndStaysWholeOtherwise) {
  const std::string line = "hr=0x80070005 \x1b[2J exit 1618";
  const std::string red = "\x1b[1;31m";
  const std::string reset = "\x1b[0m";
  struct Case {
    const char* name;
    std::vector<TextSpan> spans;
    bool color;
    std::string shown;
  };
  const Case cases[] = {
      {"two codes",
       {{3, 10}, {24, 4}},
       true,
       "hr=" + red + "0x80070005" + reset + " \\x1b[2J exit " + red + "1618" + reset},
      {"no colour", {{3, 10}}, false, "hr=0x80070005 \\x1b[2J exit 1618"},
      {"past a cut line", {{24, 10}}, true, "hr=0x80070005 \\x1b[2J exit 1618"},
      {"out of order",
       {{24, 4}, {3, 10}},
       true,
       "hr=0x80070005 \\x1b[2J exit " + red + "1618" + reset},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string out;
    AppendMarkedLine(out, line, c.spans, c.color);
    EXPECT_EQ(c.shown, out);
  }
}

TEST(TerminalText, ColourOnATerminalUnlessNoColorSaysOtherwiseAndTheOptionBeatsBoth) {
  struct Case {
    ColorChoice choice;
    bool terminal;
    const char* noColor;  // NO_COLOR's value; null when unset
    bool color;
  };
  const Case cases[] = {
      {ColorChoice::Auto, true, nullptr, true}, {ColorChoice::Auto, true, "", true},
      {ColorChoice::Auto, true, "1", false},    {ColorChoice::Auto, false, nullptr, false},
      {ColorChoice::Always, false, "1", true},  {ColorChoice::Never, true, nullptr, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << static_cast<int>(c.choice) << c.terminal
                                    << (c.noColor ? c.noColor : "(unset)"));
    EXPECT_EQ(c.color, UseColor(c.choice, c.terminal, NoColorRequested(c.noColor)));
  }
}

}  // namespace
}  // namespace quillon
