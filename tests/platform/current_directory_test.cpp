// The current directory the browser moves, and what is left when it vanishes.
#include "platform/current_directory.h"

#include "common/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vlt {
namespace {

TEST(CurrentDirectory, FollowsChangesAndFallsBackToTheRootWhenRemoved) {
    const std::filesystem::path saved = std::filesystem::current_path();
    testing::TempDir temp;
    std::filesystem::create_directories(temp.File("here"));
    ASSERT_TRUE(SetCurrentDirectory(temp.File("here")));
    EXPECT_EQ(CurrentDirectory(), std::filesystem::canonical(temp.File("here")).string());
    EXPECT_FALSE(SetCurrentDirectory(temp.File("missing")));
    EXPECT_EQ(CurrentDirectory(), std::filesystem::canonical(temp.File("here")).string());

    std::filesystem::remove(temp.File("here"));
    EXPECT_EQ(CurrentDirectory(), "/");
    std::filesystem::current_path(saved);

    EXPECT_TRUE(IsDirectory(temp.Path()));
    testing::WriteText(temp.File("file"), "x");
    EXPECT_FALSE(IsDirectory(temp.File("file")));
    EXPECT_FALSE(IsDirectory(temp.File("missing")));
}

} // namespace
} // namespace vlt
