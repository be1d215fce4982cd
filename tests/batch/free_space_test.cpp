// Free-space clearing on a "disk" made small by the file size limit.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>

#include "batch/format_thousands.h"
#include "batch/free_space.h"
#include "common/file_size_limit.h"
#include "common/temp_dir.h"

namespace vlt {
namespace {

using testing::FileSizeLimit;
using testing::TempDir;

// The /proc link of this process's open unnamed file in `directory`, "" when none is open.
std::string OpenFillFileLink(const std::string& directory) {
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const std::string target = std::filesystem::read_symlink(entry.path(), error).string();
        if (target.rfind(directory + "/#", 0) == 0) {
            return entry.path().string();
        }
    }
    return "";
}

class RecordingView : public FreeSpaceView {
public:
    std::vector<std::string> errors, captions, infos;
    std::function<void()> onInfo, onShow;
    MsgAnswer MessageBox(const std::string& caption, const std::string& text, MsgIcon, MsgButtons) override {
        errors.push_back(caption + "|" + text);
        return MsgAnswer::Ok;
    }
    void ShowClearer(const std::string& caption) override {
        captions.push_back(caption);
        if (onShow) {
            onShow();
        }
    }
    void SetCaption(const std::string& caption) override { captions.push_back(caption); }
    void SetInfo(const std::string& text) override {
        infos.push_back(text);
        if (onInfo) {
            onInfo();
        }
    }
    void ProcessMessages() override {}
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
    // At 0 bytes and then at every 256 KB; the last text asks for patience.
    ASSERT_EQ(view.infos.size(), 1 + 12 + 1U);
    for (std::size_t step = 0; step <= 12; ++step) {
        const std::string done = FormatThousands(static_cast<std::int64_t>(step * kFillInfoStep)) + " of ";
        EXPECT_EQ(view.infos[step].rfind(done, 0), 0U) << view.infos[step];
        EXPECT_EQ(view.infos[step].substr(view.infos[step].size() - 11), " bytes done");
    }
    EXPECT_EQ(view.infos.back(),
              "Please wait a few seconds until the caches and buffers of Windows have been flushed...");

    // The unnamed fill file is read through its descriptor's link in /proc.
    ASSERT_EQ(clearer.FillPath(), "");
    EXPECT_TRUE(testing::ListNames(temp.Path()).empty());
    const std::string fill = OpenFillFileLink(temp.Path());
    ASSERT_FALSE(fill.empty());
    content = testing::ReadBytes(fill);
    ASSERT_EQ(content.size(), limit);
    EXPECT_NE(std::vector<std::uint8_t>(content.begin(), content.begin() + kFillBlockSize),
              std::vector<std::uint8_t>(kFillBlockSize, 0));
    for (std::size_t offset = kFillBlockSize; offset < content.size(); offset += kFillBlockSize) {
        const std::size_t n = std::min(kFillBlockSize, content.size() - offset);
        ASSERT_EQ(std::memcmp(content.data(), content.data() + offset, n), 0) << offset;
    }
    clearer.FormClose();
    EXPECT_EQ(OpenFillFileLink(temp.Path()), "");
}

TEST(FreeSpace, CancelEndsTheFillingAndClosingDeletesTheFile) {
    TempDir temp;
    FreeSpaceClearer clearer(FillFile::Named);
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

TEST(FreeSpace, CancelWhileTheWindowIsBeingShownIsNotLost) {
    TempDir temp;
    FreeSpaceClearer clearer;
    RecordingView view;
    view.onShow = [&] { clearer.StopButtonClick(); };
    FileSizeLimit small(64 << 20);
    ASSERT_EQ(clearer.ClearFreeSpace(temp.Path() + "/", view), FillOutcome::UserBreak);
    EXPECT_EQ(clearer.Written(), 0U);
    EXPECT_EQ(view.captions.back(), "User break - click [Cancel] again to finish");
}

// A user's own file of the fill file's name is never emptied, replaced or followed.
TEST(FreeSpace, AnExistingFileOfTheFillNameStaysAsItWas) {
    const std::vector<std::uint8_t> keep{'k', 'e', 'e', 'p', ' ', 'm', 'e'};
    for (const bool link : {false, true}) {
        for (const FillFile kind : {FillFile::UnnamedWherePossible, FillFile::Named}) {
            TempDir temp;
            const std::string directory = temp.Path() + "/";
            testing::WriteText(temp.File("victim"), "keep me");
            if (link) {
                std::filesystem::create_symlink(temp.File("victim"), temp.File("VLT95CF.DAT"));
            } else {
                testing::WriteText(temp.File("VLT95CF.DAT"), "keep me");
            }
            FreeSpaceClearer clearer(kind);
            RecordingView view;
            FillOutcome outcome;
            {
                FileSizeLimit small(1 << 20);
                outcome = clearer.ClearFreeSpace(directory, view);
            }
            clearer.FormClose();
            if (kind == FillFile::Named) {
                EXPECT_EQ(outcome, FillOutcome::CantOpen);
                EXPECT_EQ(view.errors,
                          (std::vector<std::string>{"System Error|Can't open " + directory + "VLT95CF.DAT !"}));
            } else {
                EXPECT_EQ(outcome, FillOutcome::DiskFull);
            }
            EXPECT_EQ(testing::ReadBytes(temp.File("victim")), keep);
            EXPECT_EQ(testing::ListNames(temp.Path()), (std::vector<std::string>{"VLT95CF.DAT", "victim"}));
            EXPECT_EQ(std::filesystem::is_symlink(temp.File("VLT95CF.DAT")), link);
        }
    }
}

// A run killed while filling leaves nothing behind: the unnamed file's space is freed
// when the kernel closes it.
TEST(FreeSpace, AKilledFillingLeavesNoFile) {
    TempDir temp;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        FreeSpaceClearer clearer;
        RecordingView view;
        FileSizeLimit small(8 << 20);
        (void)clearer.ClearFreeSpace(temp.Path() + "/", view);
        raise(SIGKILL);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_TRUE(testing::ListNames(temp.Path()).empty());
}

} // namespace
} // namespace vlt
