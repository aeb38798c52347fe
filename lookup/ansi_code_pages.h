// What the bytes of an 8-bit ("ANSI") message-table entry stand for: such an entry holds text
// in the Windows code page of its table's language.
#pragma once

#include <cstdint>

namespace quillon {

enum class AnsiCodePage {
  Unknown,      // bytes from 0x80 up stand for nothing this reader knows
  Windows1250,  // Central European: Czech, Polish, Slovak, Hungarian, Slovenian, ...
  Windows1251,  // Cyrillic: Russian, Ukrainian, Bulgarian, Belarusian, Serbian, ...
  Windows1252,  // Western European: English, German, French, Spanish, ..., and neutral
};

// The code page Windows gives language (a LANGID) for 8-bit text; Unknown for the others
// (Greek, Turkish, Baltic, Asian and right-to-left languages).
AnsiCodePage AnsiCodePageOf(std::uint16_t language);

// The Unicode code point byte stands for in page. Bytes a page leaves undefined stand for the
// C1 control of the same value, as on Windows; under Unknown, bytes from 0x80 up are U+FFFD.
std::uint32_t AnsiCharacter(AnsiCodePage page, unsigned char byte);

}  // namespace quillon
