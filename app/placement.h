// Window placement arithmetic, in screen pixels.
#pragma once

#include <optional>

namespace quillon {

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
};
struct Point {
  int x = 0, y = 0;
};

inline constexpr int kMainWidth = 550;
inline constexpr int kExpandedHeight = 300;
inline constexpr int kCompactHeight = 75;

// Top-left corner of the main window centred on a primary screen of the given size.
Point CentredOnScreen(int screenWidth, int screenHeight);
// Top-left corner that puts window's centre on owner's centre.
Point CentreOnOwner(const Rect& owner, const Rect& window);
// Where KeepOnMonitor moves window; nothing when the main window lies on no monitor.
std::optional<Point> KeepOnMonitorPosition(const Rect& window, const std::optional<Rect>& workArea);

}  // namespace quillon
