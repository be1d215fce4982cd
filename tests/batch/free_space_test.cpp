// Free-space clearing on a "disk" made small by the file size limit.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/vfs.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>

#include "batch/free_space.h"
#include "common/temp_dir.h"

namespace vlt {
namespace {

using testing::TempDir;

class RecordingView : public FreeSpaceView {
public:
    std::vector<std::string> errors, captions, infos, notes;
    std::function<void()> onInfo;
    MsgAnswer MessageBox(const std::string& caption, const std::string& text, MsgIcon, MsgButtons) override {
        errors.push_back(caption + "|" + text);
        return MsgAnswer::Ok;
    }
    void ShowClearer(const std::string& caption) override { captions.push_back(caption); }
    void SetCaption(const std::string& caption) override { captions.push_back(caption); }
    void SetInfo(const std::string& text) override {
        infos.push_back(text);
        if (onInfo) {
            onInfo();
        }
    }
    void ProcessMessages() override {}
    void ShowNote(const std::string& text) override { notes.push_back(text); }
};

// Writes beyond `bytes` fail with EFBIG while it lives, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limited = previous_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST(FreeSpace, FillsUntilTheDiskIsFullWithTheBlockRepeated) {
    TempDir temp;
    const std::string directory = temp.Path() + "/";
    const std::uint64_t limit = 3 * 1048576 + 20480;
    FreeSpaceClearer clearer;
    RecordingView view;
    std::vector<std::uint8_t> content;
    {
        FileSizeLimit small(limit);
        ASSERT_EQ(clearer.ClearFreeSpace(directory, view), FillOutcome::DiskFull);
    }
    EXPECT_TRUE(view.errors.empty());
    EXPECT_EQ(clearer.Written(), limit);
    EXPECT_TRUE(clearer.FormCloseQuery());
    ASSERT_EQ(view.captions.size(), 2U);
    EXPECT_EQ(view.captions[0].rfind("Clearing empty disk space on drive /", 0), 0U) << view.captions[0];
    EXPECT_EQ(view.captions[1], "Done - click [Cancel] to finish");
    // At 0 bytes and then at every write (each a whole number of 256 KB steps); the
    // last text asks for patience.
    ASSERT_EQ(view.infos.size(), 1 + 3 + 1U);
    EXPECT_EQ(view.infos[0].rfind("0 of ", 0), 0U);
    EXPECT_EQ(view.infos[1].rfind("1,048,576 of ", 0), 0U);
    EXPECT_EQ(view.infos[3].rfind("3,145,728 of ", 0), 0U);
    EXPECT_EQ(view.infos[3].substr(view.infos[3].size() - 11), " bytes done");
    EXPECT_EQ(view.infos.back(),
              "Please wait a few seconds until the caches and buffers of Windows have been flushed...");

    const std::string fill = directory + "VLT95CF.DAT";
    content = testing::ReadBytes(fill);
    ASSERT_EQ(content.size(), limit);
    EXPECT_NE(std::vector<std::uint8_t>(content.begin(), content.begin() + kFillBlockSize),
              std::vector<std::uint8_t>(kFillBlockSize, 0));
    for (std::size_t offset = kFillBlockSize; offset < content.size(); offset += kFillBlockSize) {
        const std::size_t n = std::min(kFillBlockSize, content.size() - offset);
        ASSERT_EQ(std::memcmp(content.data(), content.data() + offset, n), 0) << offset;
    }
    clearer.FormClose();
    EXPECT_FALSE(testing::Exists(fill));
}

TEST(FreeSpace, MemoryFileSystemIsNotedBeforeTheFilling) {
    struct statfs info {};
    if (::statfs("/dev/shm", &info) != 0 || info.f_type != 0x01021994) { // TMPFS_MAGIC
        GTEST_SKIP() << "/dev/shm is no tmpfs here";
    }
    TempDir temp("/dev/shm");
    FreeSpaceClearer clearer;
    RecordingView view;
    view.onInfo = [&] { EXPECT_EQ(view.notes.size(), 1U) << "the note comes first"; };
    {
        FileSizeLimit small(1048576);
        ASSERT_EQ(clearer.ClearFreeSpace(temp.Path() + "/", view), FillOutcome::DiskFull);
    }
    clearer.FormClose();
    const std::vector<std::string> expected = {
        "Note: overwriting in place may not reach the old data on /dev/shm (tmpfs): it is held in memory, and pages "
        "swapped out stay in the swap area."};
    EXPECT_EQ(view.notes, expected);
}

TEST(FreeSpace, CancelEndsTheFillingAndClosingDeletesTheFile) {
    TempDir temp;
    FreeSpaceClearer clearer;
    RecordingView view;
    view.onInfo = [&] {
        if (view.infos.size() == 3) {
            clearer.StopButtonClick();
        }
    };
    FileSizeLimit small(64 << 20); // a bound in case the stop were missed
    ASSERT_EQ(clearer.ClearFreeSpace(temp.Path() + "/", view), FillOutcome::UserBreak);
    EXPECT_EQ(view.captions.back(), "User break - click [Cancel] again to finish");
    EXPECT_EQ(clearer.Written() % kFillInfoStep, 0U);
    EXPECT_GT(clearer.Written(), 0U);
    EXPECT_TRUE(testing::Exists(temp.File("VLT95CF.DAT")));
    clearer.FormClose();
    EXPECT_TRUE(testing::ListNames(temp.Path()).empty());
}

TEST(FreeSpace, UnopenableFillFileIsReported) {
    TempDir temp;
    FreeSpaceClearer clearer;
    RecordingView view;
    const std::string directory = temp.Path() + "/missing/";
    EXPECT_EQ(clearer.ClearFreeSpace(directory, view), FillOutcome::CantOpen);
    EXPECT_EQ(view.errors, (std::vector<std::string>{"System Error|Can't open " + directory + "VLT95CF.DAT !"}));
    EXPECT_TRUE(view.captions.empty());
    EXPECT_TRUE(clearer.FormCloseQuery());
}

TEST(FreeSpace, AnExistingLinkOfTheFillNameIsNotFollowed) {
    TempDir temp;
    testing::WriteText(temp.File("victim"), "keep me");
    std::filesystem::create_symlink(temp.File("victim"), temp.File("VLT95CF.DAT"));
    FreeSpaceClearer clearer;
    RecordingView view;
    {
        FileSizeLimit small(1 << 20);
        ASSERT_EQ(clearer.ClearFreeSpace(temp.Path() + "/", view), FillOutcome::DiskFull);
    }
    clearer.FormClose();
    EXPECT_EQ(testing::ReadBytes(temp.File("victim")), (std::vector<std::uint8_t>{'k', 'e', 'e', 'p', ' ', 'm', 'e'}));
    EXPECT_EQ(testing::ListNames(temp.Path()), (std::vector<std::string>{"victim"}));
}

} // namespace
} // namespace vlt
