#pragma once
// Whether rewriting a file in place reaches the blocks that held its old data. Where
// the file system or the device puts every write somewhere new, a wipe only
// overwrites fresh blocks and the old ones linger until something reuses them.
#include <cstdint>
#include <optional>
#include <string>

namespace vlt {

enum class OverwriteObstacle {
    None,           // rewriting in place reaches the old blocks
    CopyOnWrite,    // btrfs, ZFS, bcachefs
    LogStructured,  // f2fs, nilfs2
    FlashDevice,    // the block device is not rotational: its firmware remaps writes
    MemoryBacked,   // tmpfs, ramfs: swapped-out pages stay in the swap area
    NetworkStorage, // the data lives on a server that keeps its own copies
    Overlay,        // the lower layer's copy stays untouched
};

// The judgement itself: the kernel's name of the file system type ("ext4",
// "fuse.sshfs", ...) and, for a block device, whether it is rotational (unknown
// when the file system has no device of its own).
[[nodiscard]] OverwriteObstacle JudgeOverwrite(const std::string& fsType, std::optional<bool> rotational);

// The mounted file system holding a path, as the system describes it.
struct MountedFileSystem {
    std::string mountPoint;
    std::string type;
    std::uint64_t device = 0;       // st_dev of the files on it
    std::optional<bool> rotational; // of its block device, when it has one
};

// The file system holding `path` (which must exist), from its device number and the
// mount table; nothing when the path cannot be examined.
[[nodiscard]] std::optional<MountedFileSystem> FileSystemOf(const std::string& path);

// Whether the block device described under `sysDirectory` (a /sys/class/block entry)
// is rotational: a partition answers for its disk, a device-mapper device is
// rotational only when every device below it is. Unknown when sysfs does not say.
[[nodiscard]] std::optional<bool> BlockDeviceRotational(const std::string& sysDirectory);

[[nodiscard]] inline OverwriteObstacle JudgeOverwrite(const MountedFileSystem& fileSystem) {
    return JudgeOverwrite(fileSystem.type, fileSystem.rotational);
}

} // namespace vlt
