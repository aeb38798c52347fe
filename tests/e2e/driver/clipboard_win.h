// The clipboard as another program on the desktop uses it: text in, text out, or nothing.
#pragma once

#include <optional>
#include <string>

namespace e2e {

// Replaces the clipboard's content with text as CF_TEXT; false when the clipboard could not
// be opened in time or refused the block.
bool PutClipboardText(const std::string& text);
// Empties the clipboard, so that it holds no format at all.
bool EmptyTheClipboard();
// The clipboard's CF_TEXT up to its terminator; nothing when it holds no text or cannot be
// opened in time.
std::optional<std::string> ClipboardText();

}  // namespace e2e
