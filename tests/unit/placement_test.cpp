#include "app/placement.h"

#include <gtest/gtest.h>

#include <optional>

namespace quillon {
namespace {

// A 1024 x 768 monitor with a 30-pixel task bar at the bottom.
constexpr Rect kWork = {0, 0, 1024, 738};

Rect Sized(int left, int top, int width, int height) {
  return {left, top, left + width, top + height};
}

struct KeepCase {
  const char* name;
  Rect window;
  Rect work;
  Point expected;
};

TEST(KeepOnMonitorPosition, PullsWindowsBackInsideTheWorkArea) {
  const KeepCase cases[] = {
      {"inside stays", Sized(100, 100, 550, 300), kWork, {100, 100}},
      {"touching every edge stays", Sized(0, 0, 1024, 738), kWork, {0, 0}},
      {"left overhang goes to the left edge, no margin",
       Sized(-20, 100, 550, 300),
       kWork,
       {0, 100}},
      {"right overhang ends 10 inside", Sized(600, 100, 550, 300), kWork, {464, 100}},
      {"top overhang goes to the top edge, no margin", Sized(100, -5, 550, 300), kWork, {100, 0}},
      {"bottom overhang ends 10 inside", Sized(100, 500, 550, 300), kWork, {100, 428}},
      {"bottom-right corner", Sized(700, 600, 550, 300), kWork, {464, 428}},
      {"top-left corner", Sized(-600, -400, 550, 300), kWork, {0, 0}},
      {"wider than the work area: left test wins", Sized(-10, 100, 1100, 300), kWork, {0, 100}},
      {"wider, left edge inside: right test", Sized(10, 100, 1100, 300), kWork, {464, 100}},
      {"taller than the work area: top test wins", Sized(100, -10, 550, 800), kWork, {100, 0}},
      {"taller, top edge inside: bottom test", Sized(100, 10, 550, 800), kWork, {100, 428}},
      {"About window past the right edge uses the fixed margin",
       Sized(800, 200, 361, 300),
       kWork,
       {464, 200}},
      {"About window below the bottom edge", Sized(300, 600, 361, 300), kWork, {300, 428}},
      {"second monitor to the right", Sized(900, 100, 550, 300), {1024, 0, 2048, 768}, {1024, 100}},
      {"monitor at negative coordinates",
       Sized(-100, 100, 550, 300),
       {-1280, 0, 0, 1024},
       {-560, 100}},
      {"monitor above the primary", Sized(100, -50, 550, 300), {0, -1024, 1280, 0}, {100, -310}},
  };
  for (const KeepCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<Point> actual = KeepOnMonitorPosition(c.window, c.work);
    ASSERT_TRUE(actual.has_value());
    EXPECT_EQ(c.expected.x, actual->x);
    EXPECT_EQ(c.expected.y, actual->y);
  }
}

TEST(KeepOnMonitorPosition, LeavesTheWindowWhenTheMainWindowIsOnNoMonitor) {
  EXPECT_FALSE(KeepOnMonitorPosition(Sized(5000, 5000, 550, 300), std::nullopt).has_value());
}

TEST(CentredOnScreen, HalvesTheSpareRoomDroppingRemainders) {
  struct Case {
    int width, height;
    Point expected;
  };
  const Case cases[] = {
      {1024, 768, {237, 234}}, {1025, 768, {237, 234}}, {1023, 767, {236, 233}},
      {800, 600, {125, 150}},  {550, 300, {0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    const Point actual = CentredOnScreen(c.width, c.height);
    EXPECT_EQ(c.expected.x, actual.x);
    EXPECT_EQ(c.expected.y, actual.y);
  }
}

TEST(CentredOnScreen, SmallerScreenGivesNegativeCornerAndEqualOverhang) {
  const Point corner = CentredOnScreen(500, 200);
  EXPECT_EQ(-25, corner.x);
  EXPECT_EQ(-50, corner.y);
  // Overhang on the left equals the overhang on the right, and so for top and bottom.
  EXPECT_EQ(-corner.x, corner.x + kMainWidth - 500);
  EXPECT_EQ(-corner.y, corner.y + kExpandedHeight - 200);
}

TEST(CentreOnOwner, PutsTheCentresTogether) {
  struct Case {
    const char* name;
    Rect owner, window;
    Point expected;
  };
  const Case cases[] = {
      {"About over the main window", Sized(100, 100, 550, 300), Sized(0, 0, 361, 300), {195, 100}},
      {"About over a compact main window",
       Sized(100, 100, 550, 75),
       Sized(0, 0, 361, 300),
       {195, -13}},
      {"odd sizes drop each half's remainder",
       Sized(0, 0, 551, 301),
       Sized(7, 7, 101, 51),
       {225, 125}},
      {"owner at negative coordinates",
       Sized(-600, -400, 550, 300),
       Sized(0, 0, 361, 300),
       {-505, -400}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Point actual = CentreOnOwner(c.owner, c.window);
    EXPECT_EQ(c.expected.x, actual.x);
    EXPECT_EQ(c.expected.y, actual.y);
  }
}

}  // namespace
}  // namespace quillon
