// Start-up and shutdown: the restored placement, the first listing and its fallback,
// refusing to close during a run, and what closing stores.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "batch/program_lifecycle.h"
#include "browser_fixture.h"

namespace vlt::testing {
namespace {

class RecordedMessages : public MessageBoxHost {
public:
    std::vector<std::string> shown; // "caption|text"
    std::vector<MsgIcon> icons;
    MsgAnswer MessageBox(const std::string& caption, const std::string& text, MsgIcon icon, MsgButtons) override {
        shown.push_back(caption + "|" + text);
        icons.push_back(icon);
        return MsgAnswer::Ok;
    }
};

// The user's home directory is a private one for the test.
class ProgramLifecycle : public BrowserFixture {
protected:
    ProgramLifecycle() {
        const char* home = std::getenv("HOME");
        savedHome_ = home ? home : "";
        std::filesystem::create_directories(temp.File("home"));
        setenv("HOME", temp.File("home").c_str(), 1);
    }
    ~ProgramLifecycle() override { setenv("HOME", savedHome_.c_str(), 1); }

    RecordedMessages messages;

private:
    std::string savedHome_;
};

TEST_F(ProgramLifecycle, FirstStartWithoutConfigurationIsCentredOnTheHomeDirectory) {
    SettingsRecord loaded{};
    EXPECT_FALSE(LoadProgramSettings(loaded, temp.File("none/vlt95.cfg"), {1920, 1080}));
    const WindowPlacement placement = RestoredPlacement(loaded, {1920, 1080});
    EXPECT_EQ(placement.width, 620);
    EXPECT_EQ(placement.height, 460);
    EXPECT_EQ(placement.left, (1920 - 620) / 2);
    EXPECT_EQ(placement.top, (1080 - 460) / 2);
    EXPECT_EQ(placement.state, wsNormal);

    settings = loaded;
    FirstListing(browser, settings, state, messages);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(browser.BrowserPath(), temp.File("home/*.*"));
    EXPECT_FALSE(state.FirstPaintPending);
    EXPECT_EQ(host.appliedWidths, StoredColumnWidths(settings)); // the stored widths, not the view's
}

TEST_F(ProgramLifecycle, ARemovedStoredPathIsReportedOnceThenTheHomeDirectoryIsListed) {
    std::filesystem::create_directories(temp.File("old"));
    ASSERT_TRUE(settings.SetCurrentPath(temp.File("old/*.txt")));
    std::filesystem::remove(temp.File("old"));
    host.shownWidths = {1, 2, 3, 4, 5, 6};
    FirstListing(browser, settings, state, messages);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0], "VLT95 start error|Can't change to " + temp.File("old/*.txt") + " !");
    EXPECT_EQ(messages.icons[0], MsgIcon::Exclamation);
    EXPECT_EQ(browser.BrowserPath(), temp.File("home/*.*"));
    EXPECT_EQ(settings.GetCurrentPath(), temp.File("home/*.*"));
    // Both listings applied the stored widths.
    EXPECT_NE(StoredColumnWidths(settings), host.shownWidths);
}

TEST(WindowPlacementRule, StoredPlacementOnlyWhenItFitsTheScreen) {
    SettingsRecord settings{};
    DefaultSettings(settings, 1024, 768);
    struct Case {
        int left, top, width, height, state;
        bool kept;
    };
    const Case cases[] = {
        {10, 20, 800, 600, wsNormal, true},  {10, 20, 800, 600, wsMaximised, true},
        {0, 0, 0, 600, wsNormal, false},     {10, 20, 800, 0, wsNormal, false},
        {1024, 20, 800, 600, wsNormal, false}, {10, 768, 800, 600, wsNormal, false},
        {10, 20, 800, 600, 3, false},
    };
    for (const Case& c : cases) {
        settings.WindowLeft = static_cast<std::uint16_t>(c.left);
        settings.WindowTop = static_cast<std::uint16_t>(c.top);
        settings.WindowWidth = static_cast<std::uint16_t>(c.width);
        settings.WindowHeight = static_cast<std::uint16_t>(c.height);
        settings.WindowState = static_cast<std::uint8_t>(c.state);
        const WindowPlacement placement = RestoredPlacement(settings, {1024, 768});
        const WindowPlacement expected = c.kept ? WindowPlacement{c.left, c.top, c.width, c.height,
                                                                  static_cast<std::uint8_t>(c.state)}
                                                : WindowPlacement{202, 154, 620, 460, wsNormal};
        EXPECT_EQ(placement.left, expected.left) << c.left << "," << c.top << " " << c.width << "x" << c.height;
        EXPECT_EQ(placement.top, expected.top);
        EXPECT_EQ(placement.width, expected.width);
        EXPECT_EQ(placement.height, expected.height);
        EXPECT_EQ(placement.state, expected.state);
    }
    // A screen smaller than the default window puts it at the corner.
    settings.WindowWidth = 0;
    const WindowPlacement small = RestoredPlacement(settings, {400, 300});
    EXPECT_EQ(small.left, 0);
    EXPECT_EQ(small.top, 0);
}

TEST_F(ProgramLifecycle, ClosingIsRefusedWhileARunShowsItsLog) {
    EXPECT_TRUE(CloseAllowed(state));
    state.TerminalActive = true;
    EXPECT_FALSE(CloseAllowed(state));
}

TEST_F(ProgramLifecycle, ClosingStoresPlacementOnlyWhenNormalAndWidthsOnlyWithDetails) {
    const std::string path = temp.File("vlt95.cfg");
    settings.WindowLeft = 11;
    settings.WindowTop = 12;
    settings.WindowWidth = 700;
    settings.WindowHeight = 500;

    ClosingWindow maximised;
    maximised.state = wsMaximised;
    maximised.normalGeometry = {0, 0, 1920, 1080, wsMaximised};
    maximised.columnWidths = {10, 20, 30, 40, 50, 60};
    settings.ShowDetailsSwitch = 0;
    const ColumnWidths before = StoredColumnWidths(settings);
    ASSERT_TRUE(CloseDuties(browser, settings, maximised, path));
    SettingsRecord saved{};
    ASSERT_TRUE(LoadSettings(path, saved));
    EXPECT_EQ(saved.WindowState, wsMaximised);
    EXPECT_EQ(saved.WindowLeft, 11);
    EXPECT_EQ(saved.WindowTop, 12);
    EXPECT_EQ(saved.WindowWidth, 700);
    EXPECT_EQ(saved.WindowHeight, 500);
    EXPECT_EQ(StoredColumnWidths(saved), before);

    ClosingWindow normal = maximised;
    normal.state = wsNormal;
    normal.normalGeometry = {-8, 40, 640, 480, wsNormal};
    settings.ShowDetailsSwitch = 1;
    ASSERT_TRUE(CloseDuties(browser, settings, normal, path));
    ASSERT_TRUE(LoadSettings(path, saved));
    EXPECT_EQ(saved.WindowState, wsNormal);
    EXPECT_EQ(saved.WindowLeft, 0); // stored coordinates cannot go below 0
    EXPECT_EQ(saved.WindowTop, 40);
    EXPECT_EQ(saved.WindowWidth, 640);
    EXPECT_EQ(saved.WindowHeight, 480);
    EXPECT_EQ(StoredColumnWidths(saved), normal.columnWidths);
}

TEST_F(ProgramLifecycle, ClosingStopsARunningScanner) {
    for (int i = 0; i < 200; ++i) {
        WriteText(temp.File("f" + std::to_string(i)), "x");
    }
    settings.FileViewSetting = 1;
    ASSERT_TRUE(browser.ListDirectory(temp.Path()));
    ASSERT_TRUE(CloseDuties(browser, settings, ClosingWindow{}, temp.File("vlt95.cfg")));
    EXPECT_FALSE(state.ScanRunning);
}

} // namespace
} // namespace vlt::testing
