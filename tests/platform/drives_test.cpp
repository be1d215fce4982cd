#include "platform/drives.h"

#include "common/temp_dir.h"

#include <gtest/gtest.h>

#include <set>
#include <sys/statvfs.h>

namespace vlt {
namespace {

TEST(Drives, RootComesFirstAsAFixedDisk) {
    const std::vector<DriveInfo> drives = ListDrives();
    ASSERT_FALSE(drives.empty());
    EXPECT_EQ(drives.front().mountPoint, "/");
    EXPECT_EQ(drives.front().type, DriveType::Fixed);

    std::set<std::string> seen;
    for (const DriveInfo& drive : drives) {
        EXPECT_TRUE(seen.insert(drive.mountPoint).second) << drive.mountPoint << " listed twice";
        for (const char* internal : {"/proc", "/sys", "/dev"}) {
            EXPECT_NE(drive.mountPoint.rfind(internal, 0), 0u) << drive.mountPoint;
        }
    }
}

TEST(Drives, FreeSpaceOfTheRootIsPlausible) {
    std::uint64_t bytesFree = 0;
    ASSERT_TRUE(FreeSpace("/", bytesFree));
    struct statvfs info {};
    ASSERT_EQ(statvfs("/", &info), 0);
    const std::uint64_t total = static_cast<std::uint64_t>(info.f_blocks) * info.f_frsize;
    EXPECT_GT(total, 0u);
    EXPECT_LE(bytesFree, total);

    EXPECT_FALSE(FreeSpace("/no/such/directory/anywhere", bytesFree));
}

TEST(Drives, SameFileSystemComparesDevices) {
    testing::TempDir dir;
    testing::WriteText(dir.File("a"), "a");
    EXPECT_TRUE(SameFileSystem(dir.Path(), dir.File("a")));
    EXPECT_FALSE(SameFileSystem(dir.Path(), dir.File("missing")));
    // /proc is always a file system of its own.
    EXPECT_FALSE(SameFileSystem("/", "/proc"));
}

} // namespace
} // namespace vlt
