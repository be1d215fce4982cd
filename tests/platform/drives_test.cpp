#include "platform/drives.h"

#include "common/temp_dir.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
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

TEST(Drives, ReachableFreeSpaceAnswersForLocalMountsAndNotForMissingOnes) {
    const std::optional<std::uint64_t> bytes = ReachableFreeSpace("/", std::chrono::seconds(20));
    ASSERT_TRUE(bytes.has_value());
    EXPECT_GT(*bytes, 0u);
    EXPECT_FALSE(ReachableFreeSpace("/no/such/directory", std::chrono::seconds(20)).has_value());
}

TEST(Drives, SameFileSystemComparesDevices) {
    testing::TempDir dir;
    testing::WriteText(dir.File("a"), "a");
    EXPECT_TRUE(SameFileSystem(dir.Path(), dir.File("a")));
    EXPECT_FALSE(SameFileSystem(dir.Path(), dir.File("missing")));
    // /proc is always a file system of its own.
    EXPECT_FALSE(SameFileSystem("/", "/proc"));
}

TEST(Drives, DriveTypeOfAPathComesFromTheInnermostMount) {
    const std::string table = "overlay / overlay rw 0 0\n"
                              "proc /proc proc rw 0 0\n"
                              "/dev/sda1 /home ext4 rw 0 0\n"
                              "server:/export /home/ann/net nfs4 rw 0 0\n"
                              "tmpfs /home/ann/scratch tmpfs rw 0 0\n"
                              "/dev/sr0 /media/cd iso9660 ro 0 0\n"
                              "/dev/sdb1 /media/stick vfat rw 0 0\n"
                              "/dev/sdc1 /mnt ext4 rw 0 0\n"
                              "tmpfs /mnt tmpfs rw 0 0\n"
                              "/dev/sdd1 /with\\040blank ext4 rw 0 0\n";
    struct Case {
        const char* path;
        std::optional<DriveType> type;
    };
    const Case cases[] = {
        {"/", DriveType::Fixed},
        {"/usr/lib", DriveType::Fixed},
        {"/home/ann", DriveType::Fixed},
        {"/home/ann/net/projects", DriveType::Remote},
        {"/home/ann/network", DriveType::Fixed}, // a name that only starts like the mount
        {"/home/ann/scratch", DriveType::RamDisk},
        {"/media/cd/docs", DriveType::CdRom},
        {"/media/stick", DriveType::Removable},
        {"/mnt/disk", DriveType::RamDisk}, // the later mount on /mnt hides the earlier one
        {"/with blank/x", DriveType::Fixed},
        {"/proc/self", std::nullopt},
    };
    for (const Case& c : cases) {
        std::istringstream mounts(table);
        EXPECT_EQ(DriveTypeOfPath(c.path, mounts), c.type) << c.path;
    }
    EXPECT_TRUE(DriveTypeOfPath("/").has_value()); // the live table
}

} // namespace
} // namespace vlt
