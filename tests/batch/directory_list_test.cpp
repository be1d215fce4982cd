// Directory tree listing: the mask on subdirectories, exclusion, links, limits.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "batch/directory_list.h"
#include "common/temp_dir.h"
#include "platform/attributes.h"

namespace vlt {
namespace {

using testing::TempDir;

std::vector<std::string> AllFiles(TDirectoryList& list, std::int64_t* sizes = nullptr) {
    std::vector<std::string> paths;
    std::string path;
    std::int64_t size = 0;
    std::int64_t total = 0;
    for (list.First(path, size); !path.empty(); list.Next(path, size)) {
        paths.push_back(path);
        total += size;
    }
    if (sizes) {
        *sizes = total;
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

class DirectoryListTest : public ::testing::Test {
protected:
    DirectoryListTest() {
        const std::string root = temp.Path();
        std::filesystem::create_directories(root + "/sub.txt/deeper.txt");
        std::filesystem::create_directories(root + "/other");
        testing::WriteText(root + "/a.txt", "12345");
        testing::WriteText(root + "/b.dat", "1");
        testing::WriteText(root + "/.hidden.txt", "12");
        testing::WriteText(root + "/sub.txt/c.TXT", "123");
        testing::WriteText(root + "/sub.txt/d.dat", "1");
        testing::WriteText(root + "/sub.txt/deeper.txt/e.txt", "1234");
        testing::WriteText(root + "/other/f.txt", "1");
        std::filesystem::create_symlink(root + "/a.txt", root + "/link.txt");
        std::filesystem::create_symlink(root + "/other", root + "/linkdir.txt");
    }
    TempDir temp;
    TDirectoryList list{TDirectoryList::kMaxBlocks, true};
};

TEST_F(DirectoryListTest, MaskAppliesToSubdirectoriesAndLinksAreNotFollowed) {
    ASSERT_TRUE(list.Build(temp.Path() + "/*.txt", faHidden, true));
    const std::string root = temp.Path();
    std::int64_t sizes = 0;
    EXPECT_EQ(AllFiles(list, &sizes),
              (std::vector<std::string>{root + "/a.txt", root + "/sub.txt/c.TXT", root + "/sub.txt/deeper.txt/e.txt"}));
    EXPECT_EQ(list.FileCount(), 3);
    EXPECT_EQ(list.TotalSize(), 12);
    EXPECT_EQ(sizes, 12);
    EXPECT_EQ(list.DirCount(), 2);
}

TEST_F(DirectoryListTest, ExclusionMaskLeavesOutFiles) {
    ASSERT_TRUE(list.Build(temp.Path() + "/*.*", 0, true));
    EXPECT_EQ(list.FileCount(), 7); // .hidden.txt included, links never
    ASSERT_TRUE(list.Build(temp.Path() + "/*.*", faHidden, true));
    EXPECT_EQ(list.FileCount(), 6);
    ASSERT_TRUE(list.Build(temp.Path() + "/*.*", faArchive, true)); // every regular file carries archive
    EXPECT_EQ(list.FileCount(), 0);
    TDirectoryList flat(TDirectoryList::kMaxBlocks, false);
    ASSERT_TRUE(flat.Build(temp.Path() + "/*.*", faHidden, true));
    EXPECT_EQ(AllFiles(flat), (std::vector<std::string>{temp.File("a.txt"), temp.File("b.dat")}));
}

TEST_F(DirectoryListTest, EmptyListAndEnd) {
    std::string path = "x";
    std::int64_t size = 7;
    ASSERT_TRUE(list.Build(temp.Path() + "/*.none", 0, true));
    list.First(path, size);
    EXPECT_EQ(path, "");
    EXPECT_EQ(size, 0);
    ASSERT_TRUE(list.Build(temp.Path() + "/missing/*.*", 0, true)); // nothing found is no failure
    EXPECT_EQ(list.FileCount(), 0);

    ASSERT_TRUE(list.Build(temp.Path() + "/b.dat", 0, true));
    list.First(path, size);
    EXPECT_EQ(path, temp.File("b.dat"));
    EXPECT_EQ(size, 1);
    list.Next(path, size);
    EXPECT_EQ(path, "");
    list.Next(path, size);
    EXPECT_EQ(path, "");
    EXPECT_FALSE(list.Build("", 0, true));
}

TEST_F(DirectoryListTest, PathWithoutDirectoryIsRelative) {
    const std::string previous = std::filesystem::current_path();
    std::filesystem::current_path(temp.Path());
    const bool built = list.Build("*.dat", 0, true);
    std::filesystem::current_path(previous);
    ASSERT_TRUE(built);
    EXPECT_EQ(AllFiles(list), (std::vector<std::string>{"b.dat"})); // sub.txt does not match *.dat
}

TEST(DirectoryList, LimitsFailTheWholeBuild) {
    TempDir temp;
    for (int i = 0; i < 200; ++i) {
        testing::WriteText(temp.File(std::to_string(i) + std::string(200, 'n')), "x");
    }
    TDirectoryList oneBlock(1, true); // 200 entries of about 213 bytes do not fit 32 KB
    EXPECT_FALSE(oneBlock.Build(temp.Path() + "/*.*", 0, true));
    EXPECT_EQ(oneBlock.FileCount(), 0);
    EXPECT_EQ(oneBlock.TotalSize(), 0);
    EXPECT_TRUE(AllFiles(oneBlock).empty());
    TDirectoryList twoBlocks(2, true);
    ASSERT_TRUE(twoBlocks.Build(temp.Path() + "/*.*", 0, true));
    EXPECT_EQ(AllFiles(twoBlocks).size(), 200U);

    TDirectoryList none(0, true);
    EXPECT_FALSE(none.IsReady());
    EXPECT_FALSE(none.Build(temp.Path() + "/*.*", 0, true));
}

TEST(DirectoryList, SizesBeyondFourGigabytes) {
    TempDir temp;
    std::filesystem::path big = temp.File("big.bin");
    testing::WriteText(big, "");
    std::filesystem::resize_file(big, 5000000000ULL); // sparse
    testing::WriteText(temp.File("small.bin"), "abc");
    TDirectoryList list(TDirectoryList::kMaxBlocks, true);
    ASSERT_TRUE(list.Build(temp.Path() + "/*.bin", 0, true));
    EXPECT_EQ(list.TotalSize(), 5000000003LL);
}

} // namespace
} // namespace vlt
