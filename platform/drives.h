#pragma once
// Mounted file systems stand in for drive letters.
#include <chrono>
#include <cstdint>
#include <iosfwd>
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
// The same, with the mount table read from `mountTable` (the kernel's format).
[[nodiscard]] std::optional<DriveType> DriveTypeOfPath(const std::string& path, std::istream& mountTable);

// Bytes available to an unprivileged user on the file system holding `path`.
[[nodiscard]] bool FreeSpace(const std::string& path, std::uint64_t& bytesFree);

// FreeSpace with a time bound, for mounts that may hang (a network server that no
// longer answers): the query runs on a helper thread, and when it has not answered
// within `bound` the caller goes on with nothing; the helper ends whenever the
// kernel lets it.
[[nodiscard]] std::optional<std::uint64_t> ReachableFreeSpace(const std::string& path,
                                                              std::chrono::milliseconds bound);

// True when both paths exist and lie on the same mounted file system.
[[nodiscard]] bool SameFileSystem(const std::string& a, const std::string& b);

} // namespace vlt
