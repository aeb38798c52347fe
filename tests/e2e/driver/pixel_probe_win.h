// A quick look at a few screen pixels, fast enough to follow a flash of 100 ms steps.
#pragma once

#include <windows.h>

#include <optional>

namespace e2e {

// The one colour that fills rect (client coordinates of window) on the screen now, or nothing
// when the pixels differ (a paint half done, text in the way). No repaint is asked for.
std::optional<COLORREF> UniformColour(HWND window, const RECT& rect);

// A strip of the edit's client area at its right end, away from short text and the caret.
RECT RightEndOfClient(HWND edit);

}  // namespace e2e
