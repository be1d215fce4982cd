// The line store, the scrolling of the log view and the saved log.
#include <gtest/gtest.h>

#include "batch/message_log.h"
#include "common/temp_dir.h"

namespace vlt {
namespace {

class FixedView : public LogView {
public:
    std::int32_t rows = 4;
    int paints = 0;
    bool shown = false;
    std::int32_t LogRows() const override { return rows; }
    void LogShow(bool show) override { shown = show; }
    void LogPaint(MessageLog&) override { ++paints; }
};

TEST(LineStore, NumberedLinesAndReadCursor) {
    LineStore store;
    EXPECT_EQ(store.Count(), 1);
    EXPECT_EQ(store.GetNext(), ""); // no cursor yet
    ASSERT_TRUE(store.Add("one"));
    ASSERT_TRUE(store.Add("two"));
    store.Set(0, "zero");
    store.Set(7, "nowhere");
    EXPECT_EQ(store.Count(), 3);
    EXPECT_EQ(store.Get(1), "one");
    EXPECT_EQ(store.GetNext(), "two");
    EXPECT_EQ(store.GetNext(), "");
    EXPECT_EQ(store.GetNext(), ""); // the cursor is gone
    EXPECT_EQ(store.Get(0), "zero");
    EXPECT_EQ(store.Get(9), "");
    EXPECT_EQ(store.GetNext(), "one"); // a failed Get leaves the cursor
}

class MessageLogTest : public ::testing::Test {
protected:
    MessageLogTest() { log.LogStart(); }
    RunState state;
    FixedView view;
    MessageLog log{state, view};
};

TEST_F(MessageLogTest, AppendBuildsTheCurrentLineAndLineEndsIt) {
    EXPECT_TRUE(view.shown);
    EXPECT_TRUE(state.TerminalActive);
    log.LogAppend("  encrypting a, ");
    EXPECT_EQ(log.CurrentLine(), 0);
    EXPECT_EQ(log.VisibleText()[0], "  encrypting a, "); // the partial line is visible
    log.LogLine(" done.");
    EXPECT_EQ(log.CurrentLine(), 1);
    EXPECT_EQ(log.FinishedLines(), (std::vector<std::string>{"  encrypting a,  done."}));
    EXPECT_FALSE(state.LogBusy);
    EXPECT_GT(view.paints, 0);
    log.LogEnd();
    EXPECT_FALSE(view.shown);
    EXPECT_FALSE(state.TerminalActive);
}

TEST_F(MessageLogTest, ScrollKeepsTheCurrentLineOnTheBottomRow) {
    // Fewer lines than rows: no scroll bar, rows below the current line are empty.
    log.LogLine("a");
    log.LogLine("b");
    EXPECT_FALSE(log.ScrollBarVisible());
    EXPECT_EQ(log.ScrollPosition(), 0);
    EXPECT_EQ(log.VisibleText(), (std::vector<std::string>{"a", "b", "", ""}));

    for (const char* line : {"c", "d", "e", "f"}) {
        log.LogLine(line);
    }
    // Lines 0..5 finished, current line 6 on the bottom row of four: top 3.
    EXPECT_TRUE(log.ScrollBarVisible());
    EXPECT_EQ(log.ScrollMaximum(), 6);
    EXPECT_EQ(log.ScrollPosition(), 3);
    EXPECT_EQ(log.VisibleText(), (std::vector<std::string>{"d", "e", "f", ""}));

    // Scrolled up by the user: the next line brings the view back down.
    log.SetScrollPosition(1);
    EXPECT_EQ(log.VisibleText(), (std::vector<std::string>{"b", "c", "d", "e"}));
    log.LogLine("g");
    EXPECT_EQ(log.ScrollPosition(), 4);

    // Scrolled to the very end: it stays there.
    log.SetScrollPosition(99);
    EXPECT_EQ(log.ScrollPosition(), 7);
    log.LogLine("h");
    EXPECT_EQ(log.ScrollPosition(), 7);
    EXPECT_EQ(log.VisibleText(), (std::vector<std::string>{"h", "", "", ""}));
}

TEST_F(MessageLogTest, NoPaintWhileALineChangesOrTheLogIsHidden) {
    log.LogLine("a");
    EXPECT_TRUE(log.MayPaint());
    const int paints = view.paints;
    state.LogBusy = true; // as inside LogLine, when the scroll bar reports its new position
    EXPECT_FALSE(log.MayPaint());
    log.SetScrollPosition(0);
    EXPECT_EQ(view.paints, paints);
    state.LogBusy = false;
    log.SetScrollPosition(0);
    EXPECT_EQ(view.paints, paints + 1);
    log.LogEnd();
    EXPECT_FALSE(log.MayPaint());
}

TEST_F(MessageLogTest, SavedLogHasFinishedLinesWithCrLf) {
    testing::TempDir temp;
    log.LogLine("first");
    log.LogLine("  second");
    log.LogLine("third");
    log.LogAppend("unfinished");
    ASSERT_EQ(log.SaveMessages(temp.File("saved.txt")), LogSaveResult::Saved);
    const std::string expected = "first\r\n  second\r\nthird\r\n";
    EXPECT_EQ(testing::ReadBytes(temp.File("saved.txt")), std::vector<std::uint8_t>(expected.begin(), expected.end()));

    EXPECT_EQ(log.SaveMessages(temp.File("missing/dir/saved.txt")), LogSaveResult::CantOpen);
    EXPECT_EQ(log.SaveMessages("/dev/full"), LogSaveResult::WriteFailed);
    EXPECT_EQ(SaveFailureText(LogSaveResult::CantOpen, "x.txt"), "Can't open x.txt !");
    EXPECT_EQ(SaveFailureText(LogSaveResult::WriteFailed, "x.txt"), "I/O error while writing to x.txt !");
    // A failed save leaves the log intact for another try.
    EXPECT_EQ(log.FinishedLines().size(), 3U);
}

} // namespace
} // namespace vlt
