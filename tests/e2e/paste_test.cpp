// Pastes into the query edit as another program on the desktop makes them: text on the
// clipboard, WM_PASTE posted to the edit. Accepted pastes are trimmed, written back to the
// clipboard and searched; refused ones show a message box and change nothing.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "driver/clipboard_win.h"
#include "driver/query_steps_win.h"
#include "driver/quillon_process_win.h"
#include "driver/windows_win.h"

namespace e2e {
namespace {

constexpr char kTooLarge[] =
    "The data you are tying to paste is too large.  Max length is 136 characters.";
constexpr char kInvalid[] =
    "The data you are trying to paste contains invalid characters, valid characters are "
    "1234567890ABCDEFGHIJKLMNOPQRSTUVWXxYZ-_";
constexpr char kDefineNotFound[] = "\r\n\r\nDefine Not Found";

std::string Repeat(const std::string& piece, size_t length) {
  std::string text;
  while (text.size() < length) {
    text += piece;
  }
  return text.substr(0, length);
}

class Paste : public testing::Test {
 protected:
  static void SetUpTestSuite() { quillon_ = std::make_unique<QuillonProcess>(); }
  static void TearDownTestSuite() { quillon_.reset(); }

  static HWND Main() { return quillon_->MainWindow(); }
  static HWND Edit() { return QueryEdit(Main()); }

  // Puts text on the clipboard with the edit holding editText and the result panel marked,
  // posts the paste and waits until it has been handled (or its message box is up).
  static void PasteWith(const std::string& clipboard, const std::string& editText) {
    ASSERT_TRUE(SetTextOf(Edit(), editText));
    ASSERT_TRUE(PutClipboardText(clipboard));
    ASSERT_TRUE(MarkResultPanel(Main()));
    ASSERT_TRUE(PostMessageA(Edit(), WM_PASTE, 0, 0));
    ASSERT_TRUE(WaitForQueue(Edit()));
  }

  static std::unique_ptr<QuillonProcess> quillon_;
};

std::unique_ptr<QuillonProcess> Paste::quillon_;

TEST_F(Paste, AcceptedTextIsTrimmedPutBackOnTheClipboardAndSearched) {
  struct Row {
    const char* step;
    std::string clipboard;
    std::string trimmed;
    int kind;  // the label the search enables, or kNotFound
    int stored;
  };
  constexpr int kNotFound = -1;  // a define name no table holds
  const std::string longest = "A_" + std::string(134, 'B');
  const std::array<Row, 4> rows{{
      {"paste-1.1", "  0x1F \r\n", "0x1F", kWin32, 31},
      {"paste-1.2", "\t0x1f\t", "0x1f", kWin32, 31},  // pasted text keeps its case
      {"paste-1.3", "abc_def", "abc_def", kNotFound, 0},
      {"paste-1.4", longest, longest, kNotFound, 0},  // 136 characters
  }};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.step);
    PasteWith(row.clipboard, "");
    EXPECT_EQ(nullptr, MessageBoxOf(quillon_->ThreadId())) << "no message box";
    EXPECT_EQ(row.trimmed, TextOf(Edit())) << "the edit shows the trimmed text";
    EXPECT_EQ(row.trimmed, ClipboardText().value_or("<no text>")) << "the clipboard holds it";
    ASSERT_TRUE(WaitForSearchEnd(Main())) << "a search ran";
    const ResultView view = ReadResultView(Main());
    if (row.kind < 0) {
      EXPECT_EQ(kDefineNotFound, view.fields[kDescription]);
      EXPECT_EQ(1, view.queryMode) << "searched as a define name";
    } else {
      EXPECT_TRUE(view.enabled[static_cast<size_t>(row.kind)]);
      EXPECT_EQ(static_cast<std::uint32_t>(row.stored), view.stored[static_cast<size_t>(row.kind)]);
    }
  }
}

TEST_F(Paste, RefusedTextShowsItsMessageBoxAndChangesNothing) {
  struct Row {
    const char* step;
    std::string clipboard;
    const char* message;
    std::string caption;
  };
  // The length is judged first, whatever the characters; the caption of the length message is
  // the system's default one.
  const std::array<Row, 6> rows{{
      {"paste-2.1", std::string(137, 'A'), kTooLarge, "Error"},
      {"paste-2.2", Repeat("12 34;", 137), kTooLarge, "Error"},
      {"paste-2.3", "12 34", kInvalid, "12 34"},
      {"paste-2.4", "0x1F;", kInvalid, "0x1F;"},
      {"paste-2.5", "  12 34\r\n", kInvalid, "12 34"},
      {"paste-2.6", "0x1\xC9", kInvalid, "0x1\xC9"},
  }};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.step);
    PasteWith(row.clipboard, "KEEP_ME");
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = MessageBoxOf(quillon_->ThreadId())) != nullptr; }))
        << "a message box";
    EXPECT_EQ(row.message, MessageBoxText(box));
    EXPECT_EQ(row.caption, TextOf(box));
    EXPECT_EQ(Main(), GetWindow(box, GW_OWNER)) << "owned by the main window";

    ASSERT_TRUE(PostMessageA(box, WM_CLOSE, 0, 0));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); })) << "the box closes";
    ASSERT_TRUE(WaitForQueue(Edit()));
    EXPECT_EQ("KEEP_ME", TextOf(Edit())) << "edit unchanged";
    EXPECT_EQ(row.clipboard, ClipboardText().value_or("<no text>")) << "clipboard unchanged";
    EXPECT_TRUE(ResultPanelMarked(Main())) << "no search";
    EXPECT_TRUE(IsWindowEnabled(Main())) << "the main window works again";
  }
}

TEST_F(Paste, TextEmptyAfterTrimmingIsDroppedSilently) {
  struct Row {
    const char* step;
    const char* clipboard;
  };
  constexpr std::array<Row, 3> kRows{{
      {"paste-3.1 spaces", "   "},
      {"paste-3.2 a line break", "\r\n"},
      {"paste-3.3 nothing", ""},
  }};
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.step);
    PasteWith(row.clipboard, "KEEP_ME");
    EXPECT_EQ(nullptr, MessageBoxOf(quillon_->ThreadId())) << "no message box";
    EXPECT_EQ("KEEP_ME", TextOf(Edit())) << "edit unchanged";
    EXPECT_EQ(row.clipboard, ClipboardText().value_or("<no text>")) << "clipboard unchanged";
    EXPECT_TRUE(ResultPanelMarked(Main())) << "no search";
  }

  // Nothing pending from these: typing does not search.
  ASSERT_TRUE(PostChars(Edit(), "5")) << "paste-3.4";
  ASSERT_TRUE(WaitForQueue(Edit())) << "paste-3.5";
  EXPECT_TRUE(ResultPanelMarked(Main())) << "paste-3.6 no search";
}

TEST_F(Paste, PasteWithoutTextOnTheClipboardMakesTheNextChangeSearch) {
  ASSERT_TRUE(SetTextOf(Edit(), "")) << "paste-4.1";
  ASSERT_TRUE(EmptyTheClipboard()) << "paste-4.2";
  ASSERT_TRUE(MarkResultPanel(Main())) << "paste-4.3";
  ASSERT_TRUE(PostMessageA(Edit(), WM_PASTE, 0, 0)) << "paste-4.4";
  ASSERT_TRUE(WaitForQueue(Edit())) << "paste-4.5";
  EXPECT_EQ(nullptr, MessageBoxOf(quillon_->ThreadId())) << "paste-4.6 no message box";
  EXPECT_EQ("", TextOf(Edit())) << "paste-4.7 nothing inserted";
  EXPECT_TRUE(ResultPanelMarked(Main())) << "paste-4.8 no search yet";

  ASSERT_TRUE(PostChars(Edit(), "5")) << "paste-4.9";
  ASSERT_TRUE(WaitForSearchEnd(Main())) << "paste-4.10 the typed change searches";
  const ResultView view = ReadResultView(Main());
  EXPECT_TRUE(view.enabled[kWin32]) << "paste-4.11";
  EXPECT_EQ(5u, view.stored[kWin32]) << "paste-4.12";

  ASSERT_TRUE(MarkResultPanel(Main())) << "paste-4.13";
  ASSERT_TRUE(PostChars(Edit(), "5")) << "paste-4.14";
  ASSERT_TRUE(WaitForQueue(Edit())) << "paste-4.15";
  EXPECT_EQ("55", TextOf(Edit())) << "paste-4.16";
  EXPECT_TRUE(ResultPanelMarked(Main())) << "paste-4.17 only the first change searched";
}

}  // namespace
}  // namespace e2e
