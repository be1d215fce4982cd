// Whether rewriting in place reaches the old data: the judgement by file system type
// and device, the walk of sysfs from a partition or a mapped device to its disks,
// and the file systems of this machine.
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "common/temp_dir.h"
#include "platform/overwrite_reach.h"

namespace vlt {
namespace {

using testing::TempDir;

TEST(OverwriteReach, JudgedByTypeThenByDevice) {
    struct Case {
        const char* type;
        std::optional<bool> rotational;
        OverwriteObstacle expected;
    };
    const Case cases[] = {
        {"ext4", true, OverwriteObstacle::None},
        {"xfs", std::nullopt, OverwriteObstacle::None},
        {"ext4", false, OverwriteObstacle::FlashDevice},
        {"vfat", false, OverwriteObstacle::FlashDevice},
        // The file system's own way of writing decides before the device does.
        {"btrfs", true, OverwriteObstacle::CopyOnWrite},
        {"btrfs", false, OverwriteObstacle::CopyOnWrite},
        {"zfs", std::nullopt, OverwriteObstacle::CopyOnWrite},
        {"bcachefs", true, OverwriteObstacle::CopyOnWrite},
        {"f2fs", false, OverwriteObstacle::LogStructured},
        {"nilfs2", true, OverwriteObstacle::LogStructured},
        {"tmpfs", std::nullopt, OverwriteObstacle::MemoryBacked},
        {"ramfs", std::nullopt, OverwriteObstacle::MemoryBacked},
        {"nfs4", std::nullopt, OverwriteObstacle::NetworkStorage},
        {"cifs", std::nullopt, OverwriteObstacle::NetworkStorage},
        {"fuse.sshfs", std::nullopt, OverwriteObstacle::NetworkStorage},
        {"overlay", std::nullopt, OverwriteObstacle::Overlay},
        {"fuse.fuse-overlayfs", std::nullopt, OverwriteObstacle::Overlay},
        {"", std::nullopt, OverwriteObstacle::None},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(JudgeOverwrite(c.type, c.rotational), c.expected)
            << c.type << " rotational " << (c.rotational ? int(*c.rotational) : -1);
    }
}

// A small sysfs: disks sda (rotational) and nvme0n1 (flash), each with a partition
// inside its directory, and mapped devices over them.
class FakeSysfs : public ::testing::Test {
protected:
    FakeSysfs() {
        Disk("sda", "1");
        Disk("nvme0n1", "0");
        Partition("sda", "sda1");
        Partition("nvme0n1", "nvme0n1p2");
        Mapped("dm-0", {"nvme0n1/nvme0n1p2"});
        Mapped("dm-1", {"sda/sda1"});
        Mapped("dm-2", {"sda/sda1", "nvme0n1/nvme0n1p2"});
        Mapped("dm-3", {"dm-0"}); // LVM inside dm-crypt
    }
    void Disk(const std::string& name, const std::string& rotational) {
        std::filesystem::create_directories(Path(name + "/queue"));
        std::ofstream(Path(name + "/queue/rotational")) << rotational << "\n";
    }
    void Partition(const std::string& disk, const std::string& name) {
        std::filesystem::create_directories(Path(disk + "/" + name));
    }
    void Mapped(const std::string& name, const std::vector<std::string>& below) {
        Disk(name, "1"); // a mapped device's own flag is not to be trusted
        std::filesystem::create_directories(Path(name + "/slaves"));
        for (const std::string& device : below) {
            std::filesystem::create_directory_symlink(
                Path(device), Path(name + "/slaves/" + std::filesystem::path(device).filename().string()));
        }
    }
    std::string Path(const std::string& name) const { return temp.File(name); }

    TempDir temp;
};

TEST_F(FakeSysfs, PartitionsAndMappedDevicesAnswerForTheirDisks) {
    struct Case {
        const char* device;
        std::optional<bool> rotational;
    };
    const Case cases[] = {
        {"sda", true},   {"nvme0n1", false},        {"sda/sda1", true}, {"nvme0n1/nvme0n1p2", false}, {"dm-0", false},
        {"dm-1", true},  {"dm-2", false}, // one flash device below is enough to lose the old data
        {"dm-3", false}, {"missing", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BlockDeviceRotational(Path(c.device)), c.rotational) << c.device;
    }
}

TEST_F(FakeSysfs, AnUnreadableFlagIsUnknown) {
    std::ofstream(Path("sda/queue/rotational")) << "maybe\n";
    EXPECT_EQ(BlockDeviceRotational(Path("sda")), std::nullopt);
    EXPECT_EQ(BlockDeviceRotational(Path("dm-1")), std::nullopt);
}

TEST(OverwriteReach, SharedMemoryIsHeldInMemory) {
    struct statfs info {};
    if (::statfs("/dev/shm", &info) != 0 || info.f_type != 0x01021994) { // TMPFS_MAGIC
        GTEST_SKIP() << "/dev/shm is no tmpfs here";
    }
    TempDir temp("/dev/shm");
    const std::optional<MountedFileSystem> found = FileSystemOf(temp.Path());
    ASSERT_TRUE(found);
    EXPECT_EQ(found->mountPoint, "/dev/shm");
    EXPECT_EQ(found->type, "tmpfs");
    EXPECT_EQ(found->rotational, std::nullopt);
    EXPECT_EQ(JudgeOverwrite(*found), OverwriteObstacle::MemoryBacked);
}

// A btrfs file system in an image file, mounted through a loop device; Mounted()
// is false where mkfs.btrfs, the right to mount or loop devices are missing.
class LoopBtrfs {
public:
    LoopBtrfs() {
        if (geteuid() != 0 || std::system("command -v mkfs.btrfs >/dev/null 2>&1") != 0) {
            return;
        }
        const std::string image = temp_.File("btrfs.img");
        std::filesystem::create_directories(MountPoint());
        { std::ofstream(image, std::ios::binary).put('\0'); }
        std::filesystem::resize_file(image, 128ULL << 20); // above the smallest btrfs
        mounted_ = std::system(("mkfs.btrfs -q -f " + image + " >/dev/null 2>&1").c_str()) == 0 &&
                   std::system(("mount -o loop " + image + " " + MountPoint() + " >/dev/null 2>&1").c_str()) == 0;
    }
    ~LoopBtrfs() {
        if (mounted_) {
            umount2(MountPoint().c_str(), MNT_DETACH); // the loop device goes with its last mount
        }
    }
    LoopBtrfs(const LoopBtrfs&) = delete;
    LoopBtrfs& operator=(const LoopBtrfs&) = delete;

    [[nodiscard]] bool Mounted() const { return mounted_; }
    [[nodiscard]] std::string MountPoint() const { return temp_.File("mnt"); }

private:
    TempDir temp_;
    bool mounted_ = false;
};

TEST(OverwriteReach, ALoopMountedBtrfsIsCopyOnWrite) {
    LoopBtrfs btrfs;
    if (!btrfs.Mounted()) {
        GTEST_SKIP() << "no btrfs here: needs root, btrfs-progs and a loop device";
    }
    std::ofstream(btrfs.MountPoint() + "/file") << "data";
    const std::optional<MountedFileSystem> found = FileSystemOf(btrfs.MountPoint() + "/file");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->mountPoint, btrfs.MountPoint());
    EXPECT_EQ(found->type, "btrfs");
    EXPECT_EQ(JudgeOverwrite(*found), OverwriteObstacle::CopyOnWrite);
}

TEST(OverwriteReach, TheRootIsFoundWithItsDevice) {
    const std::optional<MountedFileSystem> root = FileSystemOf("/");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->mountPoint, "/");
    EXPECT_FALSE(root->type.empty());
    EXPECT_EQ(FileSystemOf("/no/such/path"), std::nullopt);
}

} // namespace
} // namespace vlt
