#include "app/placement.h"

namespace quillon {

namespace {

// The margins are the expanded main window plus 10 pixels, applied to whichever window is
// placed, so a smaller window (the About window) also ends well inside the work area.
constexpr int kRightMargin = kMainWidth + 10;
constexpr int kBottomMargin = kExpandedHeight + 10;

}  // namespace

Point CentredOnScreen(int screenWidth, int screenHeight) {
  // Signed halving: a screen smaller than the window gives a negative corner and the window
  // overhangs both edges alike.
  return {(screenWidth - kMainWidth) / 2, (screenHeight - kExpandedHeight) / 2};
}

Point CentreOnOwner(const Rect& owner, const Rect& window) {
  const int ownerWidth = owner.right - owner.left;
  const int ownerHeight = owner.bottom - owner.top;
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  return {owner.left + ownerWidth / 2 - width / 2, owner.top + ownerHeight / 2 - height / 2};
}

std::optional<Point> KeepOnMonitorPosition(const Rect& window,
                                           const std::optional<Rect>& workArea) {
  if (!workArea) {
    return std::nullopt;
  }
  const Rect& work = *workArea;
  // The left and top tests come first, so a window larger than the work area keeps its
  // caption and left edge reachable.
  int left = window.left;
  if (window.left < work.left) {
    left = work.left;
  } else if (window.right > work.right) {
    left = work.right - kRightMargin;
  }
  int top = window.top;
  if (window.top < work.top) {
    top = work.top;
  } else if (window.bottom > work.bottom) {
    top = work.bottom - kBottomMargin;
  }
  return Point{left, top};
}

}  // namespace quillon
