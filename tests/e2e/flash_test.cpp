// The attention flash as a user sees it: after a rejected query the query edit's background
// turns to the highlight colour and back, then stays in the window colour; text, selection and
// focus stay as they were; searches that merely find nothing do not flash.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "driver/pixel_probe_win.h"
#include "driver/query_steps_win.h"
#include "driver/quillon_process_win.h"
#include "driver/windows_win.h"

namespace e2e {
namespace {

// A flash lasts about 800 ms; under an emulator painting lags, so look for longer.
constexpr DWORD kWatchMs = 3000;
// Eight steps of 100 ms; the highlight shows in four of them, the last ending at 700 ms.
constexpr ULONGLONG kFlashSpanMs = 1500;
// After the last highlight, the window colour must hold at least this long.
constexpr ULONGLONG kCalmMs = 1000;

struct Sample {
  ULONGLONG atMs;
  std::optional<COLORREF> colour;  // nothing: the strip was not one colour (a paint under way)
};

// The colour of the edit's right end, sampled as fast as the screen can be read.
std::vector<Sample> Watch(HWND edit, DWORD forMs) {
  std::vector<Sample> samples;
  const RECT strip = RightEndOfClient(edit);
  const ULONGLONG start = GetTickCount64();
  for (ULONGLONG now = start; now - start < forMs; now = GetTickCount64()) {
    samples.push_back({now - start, UniformColour(edit, strip)});
  }
  return samples;
}

struct FlashSummary {
  int highlights = 0;
  int runs = 0;    // separate stretches of highlight (four when every paint was seen)
  int others = 0;  // neither colour
  std::optional<ULONGLONG> firstHighlightMs;
  std::optional<ULONGLONG> lastHighlightMs;
  ULONGLONG endMs = 0;
  bool endsInWindowColour = false;
};

FlashSummary Summarise(const std::vector<Sample>& samples) {
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  const COLORREF window = GetSysColor(COLOR_WINDOW);
  FlashSummary summary;
  bool inHighlight = false;
  for (const Sample& sample : samples) {
    if (!sample.colour) {
      continue;
    }
    summary.runs += *sample.colour == highlight && !inHighlight;
    inHighlight = *sample.colour == highlight;
    if (inHighlight) {
      ++summary.highlights;
      summary.firstHighlightMs = summary.firstHighlightMs.value_or(sample.atMs);
      summary.lastHighlightMs = sample.atMs;
    } else if (*sample.colour != window) {
      ++summary.others;
    }
  }
  if (!samples.empty()) {
    summary.endMs = samples.back().atMs;
    summary.endsInWindowColour = samples.back().colour == window;
  }
  return summary;
}

std::string Describe(const FlashSummary& summary, size_t samples) {
  return std::to_string(samples) + " samples, " + std::to_string(summary.highlights) +
         " highlighted in " + std::to_string(summary.runs) + " stretches (first at " +
         std::to_string(summary.firstHighlightMs.value_or(0)) + " ms, last at " +
         std::to_string(summary.lastHighlightMs.value_or(0)) + " ms), " +
         std::to_string(summary.others) + " of other colours, watched " +
         std::to_string(summary.endMs) + " ms";
}

// Highlight seen, then only the window colour for the rest of the watch.
void ExpectOneFlashThenCalm(const std::vector<Sample>& samples, const std::string& step) {
  const FlashSummary summary = Summarise(samples);
  const std::string figures = step + ": " + Describe(summary, samples.size());
  std::printf("%s\n", figures.c_str());
  SCOPED_TRACE(figures);
  EXPECT_GT(summary.highlights, 0) << "the highlight colour was seen";
  EXPECT_EQ(0, summary.others) << "only the two colours";
  ASSERT_TRUE(summary.lastHighlightMs.has_value());
  EXPECT_LE(*summary.lastHighlightMs - *summary.firstHighlightMs, kFlashSpanMs)
      << "the highlight is over within about a second";
  EXPECT_GE(summary.endMs - *summary.lastHighlightMs, kCalmMs) << "then calm for a while";
  EXPECT_TRUE(summary.endsInWindowColour) << "ends in the window colour";
}

void RepaintNow(HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

class Flash : public testing::Test {
 protected:
  static void SetUpTestSuite() { quillon_ = std::make_unique<QuillonProcess>(); }
  static void TearDownTestSuite() { quillon_.reset(); }

  void SetUp() override {
    ASSERT_NE(GetSysColor(COLOR_HIGHLIGHT), GetSysColor(COLOR_WINDOW))
        << "the theme tells the two colours apart";
  }

  static HWND Main() { return quillon_->MainWindow(); }

  static std::unique_ptr<QuillonProcess> quillon_;
};

std::unique_ptr<QuillonProcess> Flash::quillon_;

TEST_F(Flash, RejectionFlashesTheQueryEditAndTouchesNothingElse) {
  const HWND edit = QueryEdit(Main());
  ASSERT_TRUE(SetTextOf(edit, "_ABC")) << "flash-1.1";
  ASSERT_TRUE(Send(edit, EM_SETSEL, 1, 3)) << "flash-1.2";
  RepaintNow(edit);
  ASSERT_EQ(GetSysColor(COLOR_WINDOW), UniformColour(edit, RightEndOfClient(edit)))
      << "flash-1.3 the window colour before";
  ASSERT_EQ(edit, FocusOf(quillon_->ThreadId())) << "flash-1.4 focus before";

  ASSERT_TRUE(PostKey(edit, VK_RETURN)) << "flash-1.5";
  ExpectOneFlashThenCalm(Watch(edit, kWatchMs), "flash-1.6");

  EXPECT_EQ("Seems to be an invalid define", TextOf(ResultFieldOf(Main(), kDescription)))
      << "flash-1.7 the rejection";
  EXPECT_EQ("_ABC", TextOf(edit)) << "flash-1.8 text kept";
  EXPECT_EQ(std::make_pair(1, 3), SelectionOf(edit)) << "flash-1.9 selection kept";
  EXPECT_EQ(edit, FocusOf(quillon_->ThreadId())) << "flash-1.10 focus kept";

  // The flash is over: a fresh paint uses the normal colours.
  RepaintNow(edit);
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), UniformColour(edit, RightEndOfClient(edit)))
      << "flash-1.11 the window colour after a repaint";
  EXPECT_TRUE(Send(Main(), WM_NULL, 0, 0).has_value()) << "flash-1.12 the program answers";
}

TEST_F(Flash, SearchesThatFindNothingDoNotFlash) {
  const HWND edit = QueryEdit(Main());
  struct Row {
    const char* step;
    const char* query;
    const char* description;
  };
  constexpr std::array<Row, 2> kRows{{
      {"flash-2.1 number not found", "123456789", "\r\n\r\nError number not found"},
      {"flash-2.2 define not found", "NO_SUCH_DEFINE_ANYWHERE", "\r\n\r\nDefine Not Found"},
  }};
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.step);
    ASSERT_TRUE(SetTextOf(edit, row.query));
    ASSERT_TRUE(MarkResultPanel(Main()));
    ASSERT_TRUE(PostKey(edit, VK_RETURN));
    const std::vector<Sample> samples = Watch(edit, kWatchMs / 2);
    ASSERT_TRUE(WaitForSearchEnd(Main()));
    EXPECT_EQ(row.description, TextOf(ResultFieldOf(Main(), kDescription)));
    const FlashSummary summary = Summarise(samples);
    EXPECT_EQ(0, summary.highlights) << Describe(summary, samples.size());
    EXPECT_EQ(0, summary.others) << Describe(summary, samples.size());
  }
}

TEST_F(Flash, TwoQuickRejectionsEndCalmAndTheProgramClosesNormally) {
  QuillonProcess quillon;
  const HWND edit = quillon.Control(kQueryEditId);
  ASSERT_TRUE(SetTextOf(edit, "ABC")) << "flash-3.1";
  // Both key presses queued at once: the second rejection comes while the first flash runs.
  ASSERT_TRUE(PostKey(edit, VK_RETURN)) << "flash-3.2";
  ASSERT_TRUE(PostKey(edit, VK_RETURN)) << "flash-3.3";
  ExpectOneFlashThenCalm(Watch(edit, kWatchMs), "flash-3.4");
  EXPECT_EQ("You entered an invalid DWORD\r\nValid numbers are 0123456789",
            TextOf(ResultFieldOf(quillon.MainWindow(), kDescription)))
      << "flash-3.5";
  EXPECT_TRUE(Send(quillon.MainWindow(), WM_NULL, 0, 0).has_value()) << "flash-3.6 answers";
  EXPECT_EQ(0u, quillon.Close(kWaitTimeoutMs)) << "flash-3.7 exit code 0";
}

}  // namespace
}  // namespace e2e
