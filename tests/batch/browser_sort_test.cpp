// Column sorting: the + / - cycle and its captions, and the comparison rules.
#include <gtest/gtest.h>

#include <algorithm>

#include "batch/browser_sort.h"
#include "browser_fixture.h"

namespace vlt::testing {
namespace {

BrowserItem Item(ItemKind kind, const std::string& caption, const std::string& size = "",
                 const std::string& date = "", const std::string& time = "") {
    BrowserItem item;
    item.kind = kind;
    item.name = caption;
    item.caption = caption;
    item.SubItem(colSize) = size;
    item.SubItem(colDate) = date;
    item.SubItem(colTime) = time;
    return item;
}

std::vector<std::string> SortedCaptions(std::vector<BrowserItem> items, const SortState& state) {
    std::stable_sort(items.begin(), items.end(), ColumnOrder(state));
    std::vector<std::string> captions;
    for (const BrowserItem& item : items) {
        captions.push_back(item.caption);
    }
    return captions;
}

SortState SortedBy(int column, int direction) {
    SortState state;
    state.column = column;
    state.direction = direction;
    return state;
}

TEST(BrowserSort, ThreeClicksOnOneColumnGivePlusMinusPlus) {
    BrowserModel model;
    const char* expected[] = {"Size+", "Size-", "Size+"};
    for (const char* caption : expected) {
        model.SetSortState(NextSortState(model.Sort(), colSize));
        EXPECT_EQ(model.ColumnCaption(colSize), caption);
    }
    EXPECT_EQ(model.Sort().direction, 1);
    model.SetSortState(NextSortState(model.Sort(), colSize));
    EXPECT_EQ(model.Sort().direction, -1);

    // Another column takes the marker; the first loses it and starts over ascending.
    model.SetSortState(NextSortState(model.Sort(), colDate));
    EXPECT_EQ(model.ColumnCaption(colSize), "Size");
    EXPECT_EQ(model.ColumnCaption(colDate), "Date+");
    EXPECT_EQ(model.Sort().column, colDate);
    model.SetSortState(NextSortState(model.Sort(), colSize));
    EXPECT_EQ(model.ColumnCaption(colSize), "Size+");
    EXPECT_EQ(model.ColumnCaption(colDate), "Date");
}

TEST(BrowserSort, DirectoriesWithDotDotFirstDrivesLastByName) {
    const std::vector<BrowserItem> items = {
        Item(ikDrive, "(/mnt/b) Local disk"), Item(ikFile, "b.txt", "5"), Item(ikDirectory, "zed"),
        Item(ikDirectory, ".."),            Item(ikCdRomDrive, "(/media/a) CD-ROM Disc"),
        Item(ikNotEncrypted, "A.txt", "7"), Item(ikDirectory, "Alpha"),
    };
    EXPECT_EQ(SortedCaptions(items, SortedBy(colName, 1)),
              (std::vector<std::string>{"..", "Alpha", "zed", "A.txt", "b.txt", "(/media/a) CD-ROM Disc",
                                        "(/mnt/b) Local disk"}));
    EXPECT_EQ(SortedCaptions(items, SortedBy(colName, -1)),
              (std::vector<std::string>{"..", "zed", "Alpha", "b.txt", "A.txt", "(/media/a) CD-ROM Disc",
                                        "(/mnt/b) Local disk"}));
    // Directories have no size: by name, whatever the direction.
    EXPECT_EQ(SortedCaptions(items, SortedBy(colSize, -1)),
              (std::vector<std::string>{"..", "Alpha", "zed", "A.txt", "b.txt", "(/media/a) CD-ROM Disc",
                                        "(/mnt/b) Local disk"}));
}

TEST(BrowserSort, SizesDatesAndTimesOrderByValue) {
    const std::vector<BrowserItem> sizes = {Item(ikFile, "k", "1,000"), Item(ikFile, "n", "999"),
                                            Item(ikFile, "t", "12,345,678,901,234,567"), Item(ikFile, "z", "0")};
    EXPECT_EQ(SortedCaptions(sizes, SortedBy(colSize, 1)), (std::vector<std::string>{"z", "n", "k", "t"}));

    const std::vector<BrowserItem> dates = {
        Item(ikFile, "late", "", "12-10-26", "09:00p"), Item(ikFile, "early", "", "12-10-26", "10:00a"),
        Item(ikFile, "jan", "", "01-31-26", "11:00p"),  Item(ikFile, "last-year", "", "12-31-25", "11:59p"),
    };
    EXPECT_EQ(SortedCaptions(dates, SortedBy(colDate, 1)),
              (std::vector<std::string>{"last-year", "jan", "early", "late"}));
    EXPECT_EQ(SortedCaptions(dates, SortedBy(colDate, -1)),
              (std::vector<std::string>{"late", "early", "jan", "last-year"}));
    // Time of day alone: every "a" before every "p".
    EXPECT_EQ(SortedCaptions(dates, SortedBy(colTime, 1)),
              (std::vector<std::string>{"early", "late", "jan", "last-year"}));
}

TEST(BrowserSort, TextComparisonIgnoresCaseOfAsciiLettersOnly) {
    EXPECT_EQ(CompareTextNoCase("abc", "ABC"), 0);
    EXPECT_LT(CompareTextNoCase("ab", "ABC"), 0);
    EXPECT_GT(CompareTextNoCase("b", "A"), 0);
    EXPECT_NE(CompareTextNoCase("\xC3\xA4", "\xC3\x84"), 0);
}

using BrowserColumnClick = BrowserFixture;

TEST_F(BrowserColumnClick, ResortsTheListedItemsAndKeepsDotDotFirst) {
    std::filesystem::create_directories(temp.File("dir"));
    WriteText(temp.File("big"), std::string(1000, 'x'));
    WriteText(temp.File("small"), std::string(999, 'x'));
    ASSERT_TRUE(browser.ListDirectory(temp.Path()));
    browser.SortByColumn(colSize);
    EXPECT_EQ(EntryCaptions(), (std::vector<std::string>{"..", "dir", "small", "big"}));
    browser.SortByColumn(colSize);
    EXPECT_EQ(EntryCaptions(), (std::vector<std::string>{"..", "dir", "big", "small"}));
    EXPECT_EQ(browser.Model().ColumnCaption(colSize), "Size-");
    browser.SortByColumn(colName);
    browser.SortByColumn(colName);
    EXPECT_EQ(EntryCaptions(), (std::vector<std::string>{"..", "dir", "small", "big"}));
    browser.SortByColumn(kColumnCount); // no such column: nothing changes
    EXPECT_EQ(browser.Model().ColumnCaption(colName), "Name-");

    // A new listing forgets the sort.
    ASSERT_TRUE(browser.ListDirectory(temp.Path()));
    EXPECT_EQ(browser.Model().ColumnCaption(colName), "Name");
}

} // namespace
} // namespace vlt::testing
