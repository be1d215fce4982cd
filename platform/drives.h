#pragma once
// Mounted file systems stand in for drive letters.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vlt {

enum class DriveType { Fixed, Remote, Removable, CdRom, RamDisk };

struct DriveInfo {
    std::string mountPoint; // no trailing "/" except for the root itself
    DriveType type = DriveType::Fixed;
    std::string fsType; // as the kernel names it ("ext4", "nfs4", ...)
};

// "/" first, then the mount points a user would recognise, sorted by path;
// kernel and run-time internals (/proc, /sys, /dev, /run) are left out.
[[nodiscard]] std::vector<DriveInfo> ListDrives();

// The drive type of the mounted file system holding `path` (absolute, symbolic links
// resolved), decided from the mount table alone: no mounted file system is touched, so
// a hung network mount cannot block the caller. Empty when the file system holding it
// is none of the drive types (proc, sysfs, ...).
[[nodiscard]] std::optional<DriveType> DriveTypeOfPath(const std::string& path);

// Bytes available to an unprivileged user on the file system holding `path`.
[[nodiscard]] bool FreeSpace(const std::string& path, std::uint64_t& bytesFree);

// True when both paths exist and lie on the same mounted file system.
[[nodiscard]] bool SameFileSystem(const std::string& a, const std::string& b);

} // namespace vlt
