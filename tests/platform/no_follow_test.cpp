// Opening without following a link anywhere in the path, by openat2 and by the walk
// that stands in for it.
#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>

#include "common/temp_dir.h"
#include "platform/no_follow.h"

namespace vlt {
namespace {

using testing::TempDir;

class NoFollowTest : public ::testing::Test {
protected:
    NoFollowTest() {
        std::filesystem::create_directories(temp.File("real/sub"));
        testing::WriteText(temp.File("real/sub/file"), "x");
        std::filesystem::create_directory_symlink(temp.File("real"), temp.File("link"));
        std::filesystem::create_symlink(temp.File("real/sub/file"), temp.File("real/sub/filelink"));
    }
    TempDir temp;
};

TEST_F(NoFollowTest, ALinkInAnyComponentIsRefusedByBothWays) {
    struct Case {
        std::string path;
        int flags;
        bool opens;
    };
    const Case cases[] = {
        {temp.File("real/sub/file"), O_RDONLY, true},
        {temp.File("real//sub/./file"), O_RDONLY, true},
        {temp.File("link/sub/file"), O_RDONLY, false},    // a link on the way
        {temp.File("real/sub/filelink"), O_RDONLY, false}, // the last component a link
        {temp.File("real/sub"), O_RDONLY | O_DIRECTORY, true},
        {temp.File("link"), O_PATH | O_DIRECTORY, false},
        {temp.File("real/missing"), O_RDONLY, false},
    };
    for (const auto open : {&OpenNoFollow, &OpenNoFollowByWalk}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.path + (open == &OpenNoFollow ? " (openat2)" : " (walk)"));
            const int fd = open(c.path, c.flags, 0);
            EXPECT_EQ(fd >= 0, c.opens);
            if (fd >= 0) {
                ::close(fd);
            } else if (c.path.find("link") != std::string::npos) {
                // A link where a directory must be is "not a directory".
                EXPECT_EQ(errno, (c.flags & O_DIRECTORY) != 0 ? ENOTDIR : ELOOP);
            }
        }
    }
}

TEST_F(NoFollowTest, ParentAndResolvedPaths) {
    std::string name;
    const int parent = OpenParentNoFollow(temp.File("real/sub/file"), name);
    ASSERT_GE(parent, 0);
    EXPECT_EQ(name, "file");
    ::close(parent);
    EXPECT_LT(OpenParentNoFollow(temp.File("link/sub/file"), name), 0);

    const std::string real = std::filesystem::canonical(temp.Path()).string();
    EXPECT_EQ(ResolveDirectoryPart(temp.File("link/sub/filelink")), real + "/real/sub/filelink");
    EXPECT_EQ(ResolveDirectoryPart(temp.File("link/../real/sub")), real + "/real/sub");
    EXPECT_EQ(ResolveDirectoryPart("/"), "/");
    EXPECT_EQ(ResolveDirectoryPart(temp.File("missing/x")), temp.File("missing/x"));
}

} // namespace
} // namespace vlt
