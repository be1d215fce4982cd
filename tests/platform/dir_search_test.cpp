#include "platform/attributes.h"
#include "platform/dir_search.h"

#include "common/temp_dir.h"

#include <gtest/gtest.h>

#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace vlt {
namespace {

using testing::TempDir;

std::map<std::string, FoundEntry> SearchAll(const std::string& directory, const std::string& mask) {
    std::map<std::string, FoundEntry> found;
    DirSearch search;
    for (bool more = search.First(directory, mask); more; more = search.Next()) {
        found[search.Entry().name] = search.Entry();
    }
    return found;
}

class DirSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::WriteBytes(dir.File("Report.TXT"), testing::PatternBytes(1234));
        testing::WriteText(dir.File(".hidden"), "x");
        testing::WriteText(dir.File("readonly.txt"), "abc");
        ASSERT_EQ(chmod(dir.File("readonly.txt").c_str(), 0444), 0);
        ASSERT_EQ(mkdir(dir.File("sub").c_str(), 0755), 0);
        testing::WriteText(dir.File("sub/inner.txt"), "inner");
        ASSERT_EQ(symlink(dir.File("sub").c_str(), dir.File("link_to_dir").c_str()), 0);
        ASSERT_EQ(symlink(dir.File("missing").c_str(), dir.File("dangling").c_str()), 0);
        ASSERT_EQ(mkfifo(dir.File("pipe").c_str(), 0600), 0);
    }
    TempDir dir;
};

TEST_F(DirSearchTest, ReportsEveryKindWithoutFollowingLinks) {
    const auto found = SearchAll(dir.Path(), "*.*");
    ASSERT_EQ(found.size(), 9u); // the seven entries plus "." and ".."

    const FoundEntry& report = found.at("Report.TXT");
    EXPECT_TRUE(report.isRegularFile);
    EXPECT_EQ(report.size, 1234u);
    EXPECT_EQ(report.attributes, faArchive);
    EXPECT_GT(report.lastWrite, 0);

    EXPECT_EQ(found.at(".hidden").attributes, faArchive | faHidden);
    EXPECT_EQ(found.at("readonly.txt").attributes, faArchive | faReadOnly);

    const FoundEntry& sub = found.at("sub");
    EXPECT_TRUE(sub.isDirectory);
    EXPECT_FALSE(sub.isRegularFile);
    EXPECT_EQ(sub.attributes, faDirectory);
    EXPECT_EQ(sub.size, 0u);

    for (const char* name : {"link_to_dir", "dangling"}) {
        const FoundEntry& link = found.at(name);
        EXPECT_TRUE(link.isSymlink) << name;
        EXPECT_FALSE(link.isDirectory) << name;
        EXPECT_FALSE(link.isRegularFile) << name;
        EXPECT_EQ(link.size, 0u) << name;
    }
    const FoundEntry& pipe = found.at("pipe");
    EXPECT_FALSE(pipe.isRegularFile || pipe.isDirectory || pipe.isSymlink);

    EXPECT_TRUE(found.at(".").isDirectory);
    EXPECT_TRUE(found.at("..").isDirectory);
}

TEST_F(DirSearchTest, MaskSelectsCaseInsensitively) {
    const auto txt = SearchAll(dir.Path(), "*.txt");
    ASSERT_EQ(txt.size(), 2u);
    EXPECT_TRUE(txt.count("Report.TXT"));
    EXPECT_TRUE(txt.count("readonly.txt"));

    EXPECT_EQ(SearchAll(dir.Path(), "su?").size(), 1u);
    EXPECT_TRUE(SearchAll(dir.Path(), "*.zip").empty());
}

TEST_F(DirSearchTest, FailsForWhatIsNotAReadableDirectory) {
    DirSearch search;
    EXPECT_FALSE(search.First(dir.File("missing"), "*.*"));
    EXPECT_FALSE(search.First(dir.File("Report.TXT"), "*.*"));
    EXPECT_FALSE(search.Next()); // a failed search stays exhausted
}

TEST(DirSearch, RootHasNoParentEntry) {
    const auto found = SearchAll("/", "*.*");
    EXPECT_FALSE(found.count(".."));
    EXPECT_FALSE(found.count("."));
    EXPECT_FALSE(found.empty());
}

} // namespace
} // namespace vlt
