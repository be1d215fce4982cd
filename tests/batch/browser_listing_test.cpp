// Filling the browser from one directory: path completion, what is listed and how,
// the progress text, the status panels, column widths and failure.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "batch/browser_texts.h"
#include "browser_fixture.h"
#include "platform/attributes.h"

namespace vlt::testing {
namespace {

using BrowserListing = BrowserFixture;

TEST_F(BrowserListing, PathsAreCompletedWithTheAllFilesMask) {
    std::filesystem::create_directories(temp.File("data"));
    std::filesystem::create_directories(temp.File("photos.2020"));
    WriteText(temp.File("data/notes"), "x");
    struct Case {
        std::string typed;
        std::string listed;
    };
    const Case cases[] = {
        {"  " + temp.File("data") + "  ", temp.File("data/*.*")},
        {temp.File("data/"), temp.File("data/*.*")},
        {temp.File("data/*.txt"), temp.File("data/*.txt")},
        {temp.File("photos.2020"), temp.File("photos.2020/*.*")}, // an existing directory, dots and all
        {temp.File("data/notes"), temp.File("data/notes")},       // an existing file is a mask
        {temp.File("data/.."), temp.Path() + "/*.*"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        EXPECT_TRUE(browser.ListDirectory(c.typed));
        EXPECT_EQ(browser.BrowserPath(), c.listed);
        EXPECT_EQ(settings.GetCurrentPath(), c.listed);
        EXPECT_EQ(host.panel2.rfind(c.listed + "  (Free Disk Space: ", 0), 0u) << host.panel2;
    }
    // The root has no parent to go back to.
    ASSERT_TRUE(browser.ListDirectory("/"));
    EXPECT_EQ(browser.BrowserPath(), "/*.*");
    ASSERT_FALSE(EntryCaptions().empty());
    EXPECT_NE(EntryCaptions().front(), "..");

    EXPECT_EQ(NormaliseBrowserPath(""), "*.*");
    EXPECT_EQ(NormaliseBrowserPath("   "), "*.*");
}

TEST_F(BrowserListing, DirectoriesFirstWithDotDotButNeverDotThenFilesThenDrives) {
    for (const char* directory : {"zeta", "Alpha", "beta"}) {
        std::filesystem::create_directories(temp.File(directory));
    }
    for (const char* file : {"b.txt", "A.txt", "c.dat"}) {
        WriteText(temp.File(file), "x");
    }
    ASSERT_TRUE(browser.ListDirectory(temp.File("*.txt")));
    // The mask applies to files only.
    EXPECT_EQ(EntryCaptions(), (std::vector<std::string>{"..", "Alpha", "beta", "zeta", "A.txt", "b.txt"}));

    const BrowserModel& model = browser.Model();
    ASSERT_GT(model.Count(), 6u);
    EXPECT_EQ(model.Item(6).name, "/");
    EXPECT_EQ(model.Item(6).caption, "(/) Local disk");
    EXPECT_EQ(model.Item(6).kind, ikDrive);
    for (std::size_t i = 6; i < model.Count(); ++i) {
        EXPECT_TRUE(IsDriveKind(model.Item(i).kind)) << model.Item(i).caption;
    }
    EXPECT_EQ(model.Item(0).kind, ikDirectory);
    EXPECT_EQ(model.Item(4).kind, ikFile);
    EXPECT_EQ(model.ColumnCaption(colName), "Name");
}

TEST_F(BrowserListing, ExcludeMaskLeavesFilesOutButNeverDirectories) {
    WriteText(temp.File(".hidden"), "x");
    WriteText(temp.File("locked"), "x");
    WriteText(temp.File("plain"), "x");
    std::filesystem::create_directories(temp.File(".config"));
    ASSERT_EQ(chmod(temp.File("locked").c_str(), 0444), 0);
    struct Case {
        std::uint32_t mask;
        std::vector<std::string> captions;
    };
    const Case cases[] = {
        {0, {"..", ".config", ".hidden", "locked", "plain"}},
        {faHidden, {"..", ".config", "locked", "plain"}},
        {faReadOnly, {"..", ".config", ".hidden", "plain"}},
        {faReadOnly | faHidden | faSystem, {"..", ".config", "plain"}},
    };
    for (const Case& c : cases) {
        settings.ExcludeMask = c.mask;
        ASSERT_TRUE(browser.ListDirectory(temp.Path()));
        EXPECT_EQ(EntryCaptions(), c.captions) << "mask " << c.mask;
    }
}

TEST_F(BrowserListing, DetailsGiveSizeDateTimeAttributesAndState) {
    WriteText(temp.File("big"), std::string(1000, 'x'));
    WriteText(temp.File("small"), std::string(999, 'x'));
    ASSERT_EQ(chmod(temp.File("small").c_str(), 0444), 0);
    std::filesystem::create_directories(temp.File("sub"));
    ASSERT_TRUE(browser.ListDirectory(temp.Path()));

    const BrowserItem& big = browser.Model().Item(IndexOf("big"));
    EXPECT_EQ(big.SubItem(colSize), "1,000");
    struct stat info {};
    ASSERT_EQ(stat(temp.File("big").c_str(), &info), 0);
    const std::string dateTime = FileDateTimeText(info.st_mtime);
    EXPECT_EQ(big.SubItem(colDate) + " " + big.SubItem(colTime), dateTime);
    EXPECT_EQ(big.SubItem(colAttr), "a");
    EXPECT_EQ(big.SubItem(colState), "???");
    EXPECT_EQ(browser.Model().Item(IndexOf("small")).SubItem(colAttr), "ar");

    const BrowserItem& sub = browser.Model().Item(IndexOf("sub"));
    EXPECT_EQ(sub.SubItem(colSize), "");
    EXPECT_EQ(sub.SubItem(colDate).size(), 8u);
    EXPECT_EQ(sub.SubItem(colTime).size(), 6u);
    EXPECT_EQ(browser.Model().Item(IndexOf("..")).subItems, (std::array<std::string, 5>{}));

    EXPECT_EQ(host.panel1, "2 files (1,999 bytes)");
    EXPECT_TRUE(host.detailsShown);

    settings.ShowDetailsSwitch = 0;
    ASSERT_TRUE(browser.ListDirectory(temp.Path()));
    EXPECT_EQ(browser.Model().Item(IndexOf("big")).subItems, (std::array<std::string, 5>{}));
    EXPECT_EQ(host.panel1, "2 files (1,999 bytes)");
    EXPECT_FALSE(host.detailsShown);
}

TEST_F(BrowserListing, ProgressTextEveryFortySevenItems) {
    for (int i = 0; i < 100; ++i) {
        WriteText(temp.File("f" + std::to_string(i)), "");
    }
    ASSERT_TRUE(browser.ListDirectory(temp.Path()));
    ASSERT_GE(host.idleTexts.size(), 3u);
    EXPECT_EQ(host.idleTexts[0], "Searching for files, found 0");
    EXPECT_EQ(host.idleTexts[1], "Searching for files, found 47");
    EXPECT_EQ(host.idleTexts[2], "Searching for files, found 94");
    EXPECT_EQ(host.listingsBegun, 1);
    EXPECT_EQ(host.listingsEnded, 1);
    EXPECT_EQ(host.listFont.name, "MS Sans Serif");
}

TEST_F(BrowserListing, ColumnWidthsKeptOnceThenTakenFromTheView) {
    ASSERT_TRUE(state.KeepColumnWidths); // the first listing applies the stored widths
    const ColumnWidths stored = StoredColumnWidths(settings);
    ASSERT_TRUE(browser.ListDirectory(temp.Path()));
    EXPECT_FALSE(state.KeepColumnWidths);
    EXPECT_EQ(StoredColumnWidths(settings), stored);
    EXPECT_EQ(host.appliedWidths, stored);

    // The user has dragged the columns; the next listing keeps what is shown.
    host.shownWidths = {50, 60, 70, 80, 90, 99};
    ASSERT_TRUE(browser.ListDirectory(temp.Path()));
    EXPECT_EQ(StoredColumnWidths(settings), host.shownWidths);
    EXPECT_EQ(host.appliedWidths, host.shownWidths);
}

TEST_F(BrowserListing, ADirectoryThatCannotBeEnteredShowsTheCurrentOneWithTheMask) {
    std::filesystem::create_directories(temp.File("here"));
    WriteText(temp.File("here/a.txt"), "x");
    WriteText(temp.File("here/b.doc"), "x");
    ASSERT_TRUE(browser.ListDirectory(temp.File("here")));
    EXPECT_FALSE(browser.ListDirectory(temp.File("gone/*.txt")));
    EXPECT_EQ(browser.BrowserPath(), temp.File("here/*.txt"));
    EXPECT_EQ(EntryCaptions(), (std::vector<std::string>{"..", "a.txt"}));

    // Neither "." nor ".." is a mask.
    EXPECT_FALSE(browser.ListDirectory(temp.File("gone/..")));
    EXPECT_EQ(browser.BrowserPath(), temp.File("here/*.*"));

    // A directory removed while it is the current one.
    std::filesystem::create_directories(temp.File("brief"));
    ASSERT_TRUE(browser.ListDirectory(temp.File("brief")));
    std::filesystem::remove(temp.File("brief"));
    EXPECT_TRUE(browser.ListDirectory("*.*"));
    EXPECT_FALSE(browser.BrowserPath().empty());
}

TEST_F(BrowserListing, OddNamesAreShownReadablyAndKeptAsBytes) {
    const std::string latin1 = std::string("caf") + '\xE9';
    const std::string longest(255, 'n');
    WriteText(temp.File(latin1), "x");
    WriteText(temp.File(longest), "x");
    WriteText(temp.File("gr\xC3\xBC\xC3\x9F"), "x");
    ASSERT_EQ(symlink(temp.File(longest).c_str(), temp.File("link").c_str()), 0);
    ASSERT_EQ(mkfifo(temp.File("fifo").c_str(), 0600), 0);
    ASSERT_TRUE(browser.ListDirectory(temp.Path()));
    EXPECT_EQ(EntryCaptions(),
              (std::vector<std::string>{"..", "caf\\xE9", "gr\xC3\xBC\xC3\x9F", longest}));
    EXPECT_EQ(browser.Model().Item(IndexOf(latin1)).caption, "caf\\xE9");
}

TEST(BrowserTexts, DateTimeAttributesAndNames) {
    // Local time: build the expected moments with mktime.
    const auto moment = [](int year, int month, int day, int hour, int minute) {
        tm local{};
        local.tm_year = year - 1900;
        local.tm_mon = month - 1;
        local.tm_mday = day;
        local.tm_hour = hour;
        local.tm_min = minute;
        local.tm_isdst = -1;
        return static_cast<std::int64_t>(mktime(&local));
    };
    EXPECT_EQ(FileDateTimeText(moment(2026, 12, 10, 0, 5)), "12-10-26 12:05a");
    EXPECT_EQ(FileDateTimeText(moment(1999, 1, 2, 11, 59)), "01-02-99 11:59a");
    EXPECT_EQ(FileDateTimeText(moment(2000, 7, 4, 12, 0)), "07-04-00 12:00p");
    EXPECT_EQ(FileDateTimeText(moment(2005, 3, 9, 23, 7)), "03-09-05 11:07p");
    EXPECT_EQ(DateColumnText("03-09-05 11:07p"), "03-09-05");
    EXPECT_EQ(TimeColumnText("03-09-05 11:07p"), "11:07p");

    EXPECT_EQ(AttributeLetters(faArchive | faReadOnly | faHidden | faSystem), "arhs");
    EXPECT_EQ(AttributeLetters(faHidden | faArchive), "ah");
    EXPECT_EQ(AttributeLetters(faDirectory), "");

    EXPECT_EQ(DisplayName("plain.txt"), "plain.txt");
    EXPECT_EQ(DisplayName("\xE2\x82\xAC uro"), "\xE2\x82\xAC uro");
    EXPECT_EQ(DisplayName(std::string("a\nb")), "a\\x0Ab");
    EXPECT_EQ(DisplayName("\xC0\xAF"), "\\xC0\\xAF");         // overlong "/"
    EXPECT_EQ(DisplayName("\xED\xA0\x80"), "\\xED\\xA0\\x80"); // surrogate
    EXPECT_EQ(DisplayName("\xE2\x82"), "\\xE2\\x82");         // cut short
    EXPECT_EQ(DisplayName("a\\xE9"), "a\\\\xE9");              // a name's own backslash

    EXPECT_EQ(DriveCaption({"/media/stick", DriveType::Removable, "vfat"}), "(/media/stick) Floppy");
    EXPECT_EQ(DriveKind(DriveType::Removable), ikFloppyDrive);
    EXPECT_EQ(DriveKind(DriveType::CdRom), ikCdRomDrive);
    EXPECT_EQ(DriveKind(DriveType::Remote), ikDrive);
    EXPECT_EQ(DriveKind(DriveType::RamDisk), ikDrive);
    EXPECT_STREQ(DriveDescription(DriveType::Remote), "Network drive");
    EXPECT_STREQ(DriveDescription(DriveType::CdRom), "CD-ROM Disc");
    EXPECT_STREQ(DriveDescription(DriveType::RamDisk), "RAM Disk");
}

TEST(BrowserScannerRule, ExamineFileStatesSetting) {
    EXPECT_FALSE(ScannerStartsFor(0, DriveType::Fixed));
    EXPECT_TRUE(ScannerStartsFor(1, std::nullopt));
    EXPECT_TRUE(ScannerStartsFor(1, DriveType::Remote));
    EXPECT_TRUE(ScannerStartsFor(2, DriveType::Fixed));
    for (const auto type : {DriveType::Remote, DriveType::Removable, DriveType::CdRom, DriveType::RamDisk}) {
        EXPECT_FALSE(ScannerStartsFor(2, type));
    }
    EXPECT_FALSE(ScannerStartsFor(2, std::nullopt));
}

} // namespace
} // namespace vlt::testing
