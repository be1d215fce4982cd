// Where EncryptOneFile puts its result, and what every failure leaves behind.
#include "common/temp_dir.h"
#include "container/format.h"
#include "container_testkit.h"
#include "support/file_access.h"
#include "support/file_faults.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <regex>

namespace vlt {
namespace {

using namespace vlt::testing;

class EncryptFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dest());
        WriteBytes(source(), content_);
    }
    void TearDown() override { ClearFileFaults(); }

    std::string source() const { return dir_.File("report.old.txt"); }
    std::string dest() const { return dir_.Path() + "/dest/"; }
    TEncryptContext Context() const { return EncryptContextFor(dir_.Path(), "report.old.txt"); }
    ResultCode Encrypt(TEncryptContext& context) { return EncryptOneFile(context, host_); }
    bool IsContainerOf(const std::string& path) const {
        const ParsedContainer parsed = ParseContainer(ReadBytes(path));
        return parsed.complete && parsed.trailerCrc32 == Crc32Of(content_);
    }

    TempDir dir_;
    const std::vector<std::uint8_t> content_ = TextBytes(5000);
    RunScope run_;
    ScriptedFileOperationHost host_;
};

TEST_F(EncryptFileTest, RandomNamesKeepTheExtensionOnlyWhenAsked) {
    struct Case {
        std::string fileName;
        bool keepExtension;
        std::string pattern;
    };
    const Case cases[] = {{"report.old.txt", true, "[A-Za-z0-9]{8}\\.txt"},
                          {"noextension", true, "[A-Za-z0-9]{8}"},
                          {"enddot.", true, "[A-Za-z0-9]{8}"},
                          {"report.old.txt", false, "[A-Za-z0-9]{8}\\.[A-Za-z0-9]{3}"}};
    for (const Case& c : cases) {
        WriteBytes(dir_.File(c.fileName), content_);
        TEncryptContext context = EncryptContextFor(dir_.Path(), c.fileName);
        context.RenameOutput = true;
        context.KeepExtension = c.keepExtension;
        ASSERT_EQ(Encrypt(context), resDone) << c.fileName;
        EXPECT_TRUE(std::regex_match(context.NewName, std::regex(c.pattern))) << context.NewName;
        EXPECT_FALSE(Exists(dir_.File(c.fileName)));
        EXPECT_TRUE(IsContainerOf(dir_.File(context.NewName)));
        std::filesystem::remove(dir_.File(context.NewName));
    }
}

TEST(RandomNameTest, DrawsLettersAndDigitsUpTo255) {
    for (const auto& [asked, length] : {std::pair{0, 0}, {3, 3}, {8, 8}, {300, 255}, {-1, 0}}) {
        const std::string name = RandomName(asked);
        EXPECT_EQ(name.size(), static_cast<std::size_t>(length));
        EXPECT_TRUE(std::regex_match(name, std::regex("[A-Za-z0-9]*"))) << name;
    }
    EXPECT_NE(RandomName(16), RandomName(16));
}

// In place the result takes the original's name; with a destination the
// original stays unless RemoveOriginal. The result takes the original's
// permissions (its read-only bit too), which the info block records as well.
TEST_F(EncryptFileTest, PlacesTheResultInPlaceOrInTheDestination) {
    struct Case {
        bool toDest;
        bool removeOriginal;
        bool originalRemains;
    };
    for (const Case c : {Case{false, false, false}, Case{true, false, true}, Case{true, true, false}}) {
        WriteBytes(source(), content_);
        ASSERT_EQ(chmod(source().c_str(), 0444), 0);
        TEncryptContext context = Context();
        context.DestDir = c.toDest ? dest() : "";
        context.RemoveOriginal = c.removeOriginal;
        ASSERT_EQ(Encrypt(context), resDone);
        const std::string result = c.toDest ? dest() + "report.old.txt" : source();
        EXPECT_TRUE(IsContainerOf(result));
        EXPECT_EQ(Exists(source()) && ReadBytes(source()) == content_, c.originalRemains);
        std::uint16_t attributes = 0;
        ASSERT_TRUE(GetAttributes(result, attributes));
        EXPECT_EQ(attributes & faReadOnly, faReadOnly);
        EXPECT_EQ(ParseContainer(ReadBytes(result)).info[0], faReadOnly | faArchive);
        EXPECT_FALSE(Exists(dir_.File(TempName)));
        std::filesystem::remove(dest() + "report.old.txt");
    }
}

TEST_F(EncryptFileTest, TheOverwriteQuestionGuardsAnExistingDestinationFile) {
    const std::vector<std::uint8_t> existing = PatternBytes(10);
    struct Case {
        MsgAnswer answer;
        ResultCode expected;
    };
    for (const Case c :
         {Case{MsgAnswer::No, resSkipped}, Case{MsgAnswer::Cancel, resUserBreak}, Case{MsgAnswer::Yes, resDone}}) {
        WriteBytes(dest() + "report.old.txt", existing);
        host_.answer = c.answer;
        host_.questions.clear();
        TEncryptContext context = Context();
        context.DestDir = dest();
        context.WarnOverwrite = true;
        EXPECT_EQ(Encrypt(context), c.expected);
        EXPECT_EQ(host_.questions, std::vector<std::string>{"Warning: report.old.txt already exists. Overwrite?"});
        EXPECT_EQ(ReadBytes(source()), content_);
        EXPECT_EQ(ReadBytes(dest() + "report.old.txt") == existing, c.expected != resDone);
    }
}

// A work file or a random name never replaces a file that is already there.
// A work file nobody holds was left by a run that died: it is cleared and the run
// goes on. One that a live run holds is left alone and another work name is taken.
TEST_F(EncryptFileTest, AStaleWorkFileIsClearedAndABusyOneIsLeftAlone) {
    const std::vector<std::uint8_t> leftover = PatternBytes(77);
    WriteBytes(dir_.File(TempName), leftover);
    TEncryptContext context = Context();
    EXPECT_EQ(Encrypt(context), resDone);
    EXPECT_FALSE(Exists(dir_.File(TempName)));
    EXPECT_TRUE(IsContainerOf(source()));

    WriteBytes(source(), content_);
    WriteBytes(dir_.File(TempName), leftover);
    FileHandle live = SafeOpen(dir_.File(TempName), omRead);
    ASSERT_TRUE(live.IsOpen());
    TEncryptContext second = Context();
    EXPECT_EQ(Encrypt(second), resDone);
    EXPECT_TRUE(IsContainerOf(source()));
    EXPECT_EQ(ReadBytes(dir_.File(TempName)), leftover);
    EXPECT_EQ(ListNames(dir_.Path()), (std::vector<std::string>{"dest", "report.old.txt", TempName}));
}

TEST_F(EncryptFileTest, RefusesAlreadyEncryptedFilesUnlessAskedToEncryptAgain) {
    TEncryptContext first = Context();
    ASSERT_EQ(Encrypt(first), resDone);
    const auto once = ReadBytes(source());
    TEncryptContext again = Context();
    again.EncryptAgain = false;
    EXPECT_EQ(Encrypt(again), resAlreadyEncrypted);
    EXPECT_EQ(ReadBytes(source()), once);
    again.EncryptAgain = true;
    EXPECT_EQ(Encrypt(again), resDone);
    EXPECT_GT(ReadBytes(source()).size(), once.size());
}

TEST_F(EncryptFileTest, KeepDateTimeCarriesTheOriginalTimeOver) {
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 400);
    for (const bool keep : {true, false}) {
        WriteBytes(source(), content_);
        std::filesystem::last_write_time(source(), old);
        TEncryptContext context = Context();
        context.KeepDateTime = keep;
        ASSERT_EQ(Encrypt(context), resDone);
        const auto drift = std::filesystem::last_write_time(source()) - old;
        EXPECT_EQ(drift < std::chrono::seconds(3), keep);
    }
}

// Every failure leaves the original as it was (attributes included) and no output.
TEST_F(EncryptFileTest, FailuresLeaveTheOriginalUntouched) {
    struct Case {
        FileOp op;
        int nth;
        ResultCode expected;
    };
    const Case cases[] = {
        {FileOp::GetAttributes, 1, resIOError}, {FileOp::SetAttributes, 1, resAccessDenied},
        {FileOp::Open, 1, resAccessDenied},     {FileOp::Open, 2, resIOError},
        {FileOp::Read, 1, resIOError},          {FileOp::Write, 1, resIOError},
        {FileOp::Write, 3, resIOError},         {FileOp::Sync, 1, resIOError},
        {FileOp::Close, 1, resFatalError},      {FileOp::Close, 2, resFatalError},
        {FileOp::Rename, 1, resFatalError},
    };
    const std::string hidden = dir_.File(".hidden");
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.op) * 10 + c.nth);
        WriteBytes(hidden, content_);
        ASSERT_EQ(chmod(hidden.c_str(), 0444), 0);
        TEncryptContext context = EncryptContextFor(dir_.Path(), ".hidden");
        InjectFileFault(c.op, c.nth);
        EXPECT_EQ(Encrypt(context), c.expected);
        ClearFileFaults();
        std::uint16_t attributes = 0;
        ASSERT_TRUE(GetAttributes(hidden, attributes));
        EXPECT_EQ(attributes, faHidden | faReadOnly | faArchive);
        EXPECT_EQ(ReadBytes(hidden), content_);
        EXPECT_FALSE(Exists(dir_.File(TempName)));
        std::filesystem::remove(hidden);
    }
}

TEST_F(EncryptFileTest, ProgressCountsTheBytesReadAndAStopRemovesThePartialResult) {
    TEncryptContext context = Context();
    ASSERT_EQ(Encrypt(context), resDone);
    using Call = std::pair<ProgressKind, std::int32_t>;
    EXPECT_EQ(host_.progress, (std::vector<Call>{{pkEncrypt, 0}, {pkEncrypt, 5000}}));
    EXPECT_EQ(host_.pumps, 1);

    WriteBytes(source(), content_);
    host_.progress.clear();
    host_.stopAtCall = 2;
    TEncryptContext stopped = Context();
    EXPECT_EQ(Encrypt(stopped), resUserBreak);
    EXPECT_EQ(ReadBytes(source()), content_);
    EXPECT_EQ(ListNames(dir_.Path()), (std::vector<std::string>{"dest", "report.old.txt"}));
}

// The original is wiped instead of deleted; a wipe that failed or was stopped is
// not reported as a clean success.
TEST_F(EncryptFileTest, WipesTheOriginalWhenAsked) {
    struct Case {
        bool sfs;
        int stopAtCall;
        ResultCode expected;
        int wipeCalls;
    };
    const Case cases[] = {{false, 0, resDone, 1 + 3}, {true, 0, resDone, 1 + 35}, {false, 3, resWipingFailed, 1}};
    for (const Case& c : cases) {
        WriteBytes(source(), content_);
        host_.progress.clear();
        host_.stopAtCall = c.stopAtCall;
        TEncryptContext context = Context();
        context.WipeOriginal = true;
        context.WipePasses = 1;
        context.SfsWiping = c.sfs;
        EXPECT_EQ(Encrypt(context), c.expected);
        EXPECT_TRUE(IsContainerOf(source()));
        EXPECT_EQ(ListNames(dir_.Path()), (std::vector<std::string>{"dest", "report.old.txt"}));
        int wipeCalls = 0;
        for (const auto& [kind, amount] : host_.progress) {
            wipeCalls += kind == pkWipe ? 1 : 0;
        }
        EXPECT_EQ(wipeCalls, c.wipeCalls);
    }
}

} // namespace
} // namespace vlt
