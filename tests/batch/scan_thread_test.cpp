// The file-state scanner: state texts and kinds, the compatibility switch, files that
// cannot be read, the stop handshake and the one examination per file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "batch/scan_thread.h"
#include "browser_fixture.h"

namespace vlt::testing {
namespace {

// Waits for a condition another thread brings about; gives up after a generous bound
// so that a fault fails the test instead of hanging it.
template <typename Condition> bool Eventually(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

std::vector<std::uint8_t> Header(std::uint8_t generation) {
    return {0x00, generation, 0x14, 0x11, 0x19, 0x75, 0x00, 0x00};
}

TEST(FileState, TextsAndKindsWithAndWithoutCompatibility) {
    struct Case {
        CheckResult result;
        bool compat;
        ItemKind kind;
        const char* text;
    };
    const Case cases[] = {
        {{ceEncrypted, 0x0800}, false, ikEncrypted, "Encrypted with VLT95"},
        {{ceEncrypted, 0x0800}, true, ikEncryptedOther, "Encrypted with VLT95"},
        {{ceEncrypted, 0x0700}, false, ikEncryptedOther, "Encrypted with VLT7"},
        {{ceEncrypted, 0x0701}, true, ikEncrypted, "Encrypted with VLT7"},
        {{ceEncrypted, 0x0900}, false, ikEncryptedOther, "Encrypted with VLT9"},
        {{ceEncrypted, 0xFF00}, true, ikEncrypted, "Encrypted with VLT255"},
        {{ceNotEncrypted, 0}, false, ikNotEncrypted, "Not encrypted"},
        {{ceNotEncrypted, 0}, true, ikNotEncrypted, "Not encrypted"},
        {{resIOError, 0}, false, ikFile, "???"},
        {{resFatalError, 0}, true, ikFile, "???"},
    };
    for (const Case& c : cases) {
        const FileState state = FileStateOf(c.result, c.compat);
        EXPECT_EQ(state.kind, c.kind) << c.text << " compat " << c.compat;
        EXPECT_EQ(state.text, c.text);
    }
}

class Scanner : public BrowserFixture {
protected:
    Scanner() { settings.FileViewSetting = 1; }

    // Lets the scanner run to its end and applies its results.
    void Finish() {
        ASSERT_TRUE(Eventually([&] { return !state.ScanRunning; }));
        browser.DrainScanUpdates();
    }

    const BrowserItem& ItemNamed(const std::string& name) { return browser.Model().Item(IndexOf(name)); }
};

TEST_F(Scanner, MarksEncryptedPlainAndUnreadableFiles) {
    WriteBytes(temp.File("current"), Header(8));
    WriteBytes(temp.File("older"), Header(7));
    WriteText(temp.File("plain"), "hello, world");
    WriteText(temp.File("locked"), "held by another program");
    const int holder = open(temp.File("locked").c_str(), O_RDONLY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);

    for (const bool compat : {false, true}) {
        SCOPED_TRACE(compat ? "compatibility on" : "compatibility off");
        settings.VLT7CompSwitch = compat;
        ASSERT_TRUE(browser.ListDirectory(temp.Path()));
        Finish();
        EXPECT_EQ(ItemNamed("current").kind, compat ? ikEncryptedOther : ikEncrypted);
        EXPECT_EQ(ItemNamed("current").SubItem(colState), "Encrypted with VLT95");
        EXPECT_EQ(ItemNamed("older").kind, compat ? ikEncrypted : ikEncryptedOther);
        EXPECT_EQ(ItemNamed("older").SubItem(colState), "Encrypted with VLT7");
        EXPECT_EQ(ItemNamed("plain").kind, ikNotEncrypted);
        EXPECT_EQ(ItemNamed("plain").SubItem(colState), "Not encrypted");
        EXPECT_EQ(ItemNamed("locked").kind, ikFile);
        EXPECT_EQ(ItemNamed("locked").SubItem(colState), "???");
        EXPECT_EQ(ItemNamed("..").kind, ikDirectory);
        EXPECT_GE(host.scanSignals, 1);
    }
    close(holder);

    // In the list style only the icon changes.
    settings.ShowDetailsSwitch = 0;
    ASSERT_TRUE(browser.ListDirectory(temp.Path()));
    Finish();
    EXPECT_EQ(ItemNamed("plain").kind, ikNotEncrypted);
    EXPECT_EQ(ItemNamed("plain").SubItem(colState), "");
}

TEST_F(Scanner, NeverStartsWhenTheSettingSaysNever) {
    WriteText(temp.File("plain"), "x");
    settings.FileViewSetting = 0;
    ASSERT_TRUE(browser.ListDirectory(temp.Path()));
    EXPECT_FALSE(state.ScanRunning);
    browser.DrainScanUpdates();
    EXPECT_EQ(ItemNamed("plain").kind, ikFile);
}

// An examiner that records every file and can hold the scanner inside one of them.
class GatedExaminer {
public:
    explicit GatedExaminer(std::size_t holdAt) : holdAt_(holdAt) {}

    FileExaminer Function() {
        return [this](const OpenDirectory& directory, const std::string& name) {
            std::unique_lock<std::mutex> lock(mutex_);
            calls_.push_back(directory.Path() + name);
            if (calls_.size() == holdAt_) {
                changed_.notify_all();
                changed_.wait(lock, [&] { return released_; });
            }
            return CheckResult{ceNotEncrypted, 0};
        };
    }
    // Waits until the scanner is held inside the file.
    bool WaitHeld() {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(20), [&] { return calls_.size() >= holdAt_; });
    }
    void Release() {
        const std::lock_guard<std::mutex> lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }
    std::vector<std::string> Calls() {
        const std::lock_guard<std::mutex> lock(mutex_);
        return calls_;
    }

private:
    const std::size_t holdAt_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> calls_;
    bool released_ = false;
};

TEST_F(Scanner, AStopTakesEffectAfterTheCurrentFile) {
    for (const char* name : {"a", "b", "c", "d"}) {
        WriteText(temp.File(name), name);
    }
    GatedExaminer examiner(1);
    browser.SetFileExaminer(examiner.Function());
    ASSERT_TRUE(browser.ListDirectory(temp.Path()));
    ASSERT_TRUE(examiner.WaitHeld());
    // The stop request is raised while "a" is being examined; the scanner finishes it.
    host.onProcessMessages = [&] { examiner.Release(); };
    EXPECT_TRUE(browser.StopScanner());
    EXPECT_FALSE(state.ScanRunning);
    EXPECT_FALSE(state.ScanStopRequest);
    EXPECT_EQ(examiner.Calls(), (std::vector<std::string>{temp.File("a")}));
    EXPECT_EQ(ItemNamed("a").kind, ikNotEncrypted);
    EXPECT_EQ(ItemNamed("b").kind, ikFile);
    EXPECT_FALSE(browser.StopScanner()); // nothing runs any more
}

TEST_F(Scanner, ExaminedFilesAreNotExaminedAgainAfterAResort) {
    for (const char* name : {"a", "b", "c", "d", "e"}) {
        WriteText(temp.File(name), name);
    }
    GatedExaminer examiner(2);
    browser.SetFileExaminer(examiner.Function());
    ASSERT_TRUE(browser.ListDirectory(temp.Path()));
    ASSERT_TRUE(examiner.WaitHeld());
    host.onProcessMessages = [&] { examiner.Release(); };
    browser.SortByColumn(colName); // stops the scanner and starts it again
    EXPECT_EQ(browser.Model().ColumnCaption(colName), "Name+");
    Finish();

    std::map<std::string, int> times;
    for (const std::string& path : examiner.Calls()) {
        ++times[path];
    }
    EXPECT_EQ(times.size(), 5u);
    for (const auto& [path, count] : times) {
        EXPECT_EQ(count, 1) << path;
    }
    for (const char* name : {"a", "b", "c", "d", "e"}) {
        EXPECT_EQ(ItemNamed(name).kind, ikNotEncrypted) << name;
    }
}

// Counts the rows the model reports as changed.
class ChangedRows : public BrowserModelListener {
public:
    std::size_t rows = 0;
    int resets = 0;
    void ItemsAboutToReset() override {}
    void ItemsReset() override { ++resets; }
    void ItemsChanged(std::size_t first, std::size_t last) override { rows += last - first + 1; }
    void ColumnCaptionsChanged() override {}
};

TEST_F(Scanner, ResultsAreAppliedWhileTheScannerRuns) {
    constexpr int kFiles = 400;
    for (int i = 0; i < kFiles; ++i) {
        WriteText(temp.File("f" + std::to_string(i)), "x");
    }
    ChangedRows changed;
    browser.Model().SetListener(&changed);
    ASSERT_TRUE(browser.ListDirectory(temp.Path()));
    EXPECT_EQ(changed.resets, 1);
    // The window's thread: applies results as they come and lets the user select meanwhile.
    std::size_t row = 0;
    while (state.ScanRunning) {
        browser.DrainScanUpdates();
        browser.Model().SetSelected(row, !browser.Model().Item(row).selected);
        row = (row + 1) % browser.Model().Count();
    }
    browser.DrainScanUpdates();
    int examined = 0;
    for (std::size_t i = 0; i < browser.Model().Count(); ++i) {
        examined += browser.Model().Item(i).kind == ikNotEncrypted;
    }
    EXPECT_EQ(examined, kFiles);
    EXPECT_GE(changed.rows, static_cast<std::size_t>(kFiles));
    browser.Model().SetListener(nullptr);
}

TEST(ScanThread, AnEmptyBrowserEndsAtOnce) {
    RunState state;
    BrowserModel model;
    ScanUpdateQueue queue;
    ScriptedBrowserHost host;
    TScanThread scanner(state);
    state.ScanStopRequest = true; // left over from an earlier stop
    scanner.Start(model, "/", false, queue, host, PeekEncrypted);
    EXPECT_TRUE(Eventually([&] { return !state.ScanRunning; }));
    scanner.Join();
    EXPECT_TRUE(queue.TakeAll().empty());
    EXPECT_EQ(host.scanSignals, 0);
}

TEST(ScanThread, QueueSignalsOnlyWhenItWasEmpty) {
    ScanUpdateQueue queue;
    std::vector<ScanUpdate> batch{{0, {}}, {1, {}}};
    EXPECT_TRUE(queue.Push(batch));
    EXPECT_TRUE(batch.empty());
    batch = {{2, {}}};
    EXPECT_FALSE(queue.Push(batch));
    const std::vector<ScanUpdate> taken = queue.TakeAll();
    ASSERT_EQ(taken.size(), 3u);
    EXPECT_EQ(taken[2].index, 2u);
    batch = {{3, {}}};
    EXPECT_TRUE(queue.Push(batch));
}

} // namespace
} // namespace vlt::testing
