#include "platform/overwrite_reach.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <vector>

#include "platform/drives.h"

namespace vlt {

namespace {

bool IsOneOf(const std::string& value, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        if (value == name) {
            return true;
        }
    }
    return false;
}

struct MountInfoLine {
    std::uint64_t device = 0;
    std::string mountPoint;
    std::string type;
};

// /proc/self/mountinfo: "id parent major:minor root mount-point options [tags] - type source ...".
std::vector<MountInfoLine> ReadMountInfo() {
    std::vector<MountInfoLine> mounts;
    std::ifstream table("/proc/self/mountinfo");
    for (std::string line; std::getline(table, line);) {
        std::istringstream fields(line);
        std::string id, parent, numbers, root, mountPoint, field;
        if (!(fields >> id >> parent >> numbers >> root >> mountPoint)) {
            continue;
        }
        while (fields >> field && field != "-") {
        }
        MountInfoLine mount;
        unsigned major = 0;
        unsigned minor = 0;
        if (!(fields >> mount.type) || std::sscanf(numbers.c_str(), "%u:%u", &major, &minor) != 2) {
            continue;
        }
        mount.device = makedev(major, minor);
        mount.mountPoint = UnescapeMountField(mountPoint);
        mounts.push_back(mount);
    }
    return mounts;
}

bool Holds(const std::string& mountPoint, const std::string& path) {
    return mountPoint == "/" || path == mountPoint ||
           (path.size() > mountPoint.size() && path.compare(0, mountPoint.size(), mountPoint) == 0 &&
            path[mountPoint.size()] == '/');
}

// The mount of the path's device whose point holds it; a later mount on the same
// point hides an earlier one. Btrfs subvolumes have device numbers of their own, so
// without a match the innermost mount point holding the path answers.
const MountInfoLine* HoldingMount(const std::vector<MountInfoLine>& mounts, std::uint64_t device,
                                  const std::string& path) {
    const MountInfoLine* byDevice = nullptr;
    const MountInfoLine* byPath = nullptr;
    for (const MountInfoLine& mount : mounts) {
        if (!Holds(mount.mountPoint, path)) {
            continue;
        }
        if (!byPath || mount.mountPoint.size() >= byPath->mountPoint.size()) {
            byPath = &mount;
        }
        if (mount.device == device && (!byDevice || mount.mountPoint.size() >= byDevice->mountPoint.size())) {
            byDevice = &mount;
        }
    }
    return byDevice ? byDevice : byPath;
}

std::optional<bool> ReadRotationalFlag(const std::filesystem::path& file) {
    std::ifstream flag(file);
    char value = 0;
    if (!(flag >> value) || (value != '0' && value != '1')) {
        return std::nullopt;
    }
    return value == '1';
}

std::optional<bool> Rotational(const std::filesystem::path& directory, int depth) {
    std::error_code error;
    // Each entry links to the device directory below.
    std::vector<std::filesystem::path> below;
    for (const auto& slave : std::filesystem::directory_iterator(directory / "slaves", error)) {
        below.push_back(slave.path());
    }
    // A mapped device (dm-crypt, LVM) on flash is flash; the depth bounds a strange tree.
    if (!below.empty() && depth < 8) {
        std::optional<bool> all;
        for (const std::filesystem::path& device : below) {
            const std::optional<bool> one = Rotational(device, depth + 1);
            if (!one) {
                return std::nullopt;
            }
            all = all.value_or(true) && *one;
        }
        return all;
    }
    if (const std::optional<bool> own = ReadRotationalFlag(directory / "queue/rotational")) {
        return own;
    }
    // A partition has no queue of its own; its disk is the directory above it.
    return ReadRotationalFlag(directory / "../queue/rotational");
}

} // namespace

OverwriteObstacle JudgeOverwrite(const std::string& fsType, std::optional<bool> rotational) {
    if (IsOneOf(fsType, {"btrfs", "zfs", "bcachefs"})) {
        return OverwriteObstacle::CopyOnWrite;
    }
    if (IsOneOf(fsType, {"f2fs", "nilfs2"})) {
        return OverwriteObstacle::LogStructured;
    }
    if (IsOneOf(fsType, {"tmpfs", "ramfs"})) {
        return OverwriteObstacle::MemoryBacked;
    }
    if (IsNetworkFileSystemType(fsType)) {
        return OverwriteObstacle::NetworkStorage;
    }
    if (IsOneOf(fsType, {"overlay", "fuse.fuse-overlayfs", "aufs", "unionfs"})) {
        return OverwriteObstacle::Overlay;
    }
    if (rotational == false) {
        return OverwriteObstacle::FlashDevice;
    }
    return OverwriteObstacle::None;
}

std::optional<bool> BlockDeviceRotational(const std::string& sysDirectory) {
    return Rotational(sysDirectory, 0);
}

std::optional<MountedFileSystem> FileSystemOf(const std::string& path) {
    struct stat info {};
    char resolved[PATH_MAX];
    if (::stat(path.c_str(), &info) != 0 || ::realpath(path.c_str(), resolved) == nullptr) {
        return std::nullopt;
    }
    const std::vector<MountInfoLine> mounts = ReadMountInfo();
    const MountInfoLine* mount = HoldingMount(mounts, info.st_dev, resolved);
    if (!mount) {
        return std::nullopt;
    }
    MountedFileSystem fileSystem{mount->mountPoint, mount->type, info.st_dev, std::nullopt};
    // Device numbers with major 0 are anonymous: no block device below.
    if (major(info.st_dev) != 0) {
        fileSystem.rotational = BlockDeviceRotational("/sys/dev/block/" + std::to_string(major(info.st_dev)) + ":" +
                                                      std::to_string(minor(info.st_dev)));
    }
    return fileSystem;
}

} // namespace vlt
