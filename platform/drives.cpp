#include "platform/drives.h"

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace vlt {

namespace {

struct MountLine {
    std::string source;
    std::string mountPoint;
    std::string fsType;
};

// /proc/self/mounts writes blanks, tabs, newlines and backslashes as \ooo.
std::string Unescape(const std::string& field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string digits = field.substr(i + 1, 3);
            if (digits.find_first_not_of("01234567") == std::string::npos) {
                out.push_back(static_cast<char>(std::stoi(digits, nullptr, 8)));
                i += 3;
                continue;
            }
        }
        out.push_back(field[i]);
    }
    return out;
}

std::vector<MountLine> ReadMounts(std::istream& table) {
    std::vector<MountLine> mounts;
    std::string line;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        MountLine mount;
        if (fields >> mount.source >> mount.mountPoint >> mount.fsType) {
            mount.source = Unescape(mount.source);
            mount.mountPoint = Unescape(mount.mountPoint);
            mounts.push_back(mount);
        }
    }
    return mounts;
}

std::vector<MountLine> ReadMounts() {
    std::ifstream table("/proc/self/mounts");
    return ReadMounts(table);
}

bool StartsWithDir(const std::string& path, const std::string& dir) {
    return path == dir ||
           (path.size() > dir.size() && path.compare(0, dir.size(), dir) == 0 && path[dir.size()] == '/');
}

bool IsOneOf(const std::string& value, std::initializer_list<const char*> list) {
    return std::any_of(list.begin(), list.end(), [&](const char* item) { return value == item; });
}

bool IsUserMediaPath(const std::string& mountPoint) {
    return StartsWithDir(mountPoint, "/media") || StartsWithDir(mountPoint, "/mnt") ||
           StartsWithDir(mountPoint, "/run/media");
}

bool IsSystemInternal(const std::string& mountPoint) {
    if (StartsWithDir(mountPoint, "/run/media")) {
        return false;
    }
    return StartsWithDir(mountPoint, "/proc") || StartsWithDir(mountPoint, "/sys") ||
           StartsWithDir(mountPoint, "/dev") || StartsWithDir(mountPoint, "/run") ||
           StartsWithDir(mountPoint, "/snap") || StartsWithDir(mountPoint, "/boot/efi");
}

// The kernel marks removable media on the whole disk; a partition asks its parent.
bool IsRemovableBlockDevice(const std::string& source) {
    if (!StartsWithDir(source, "/dev")) {
        return false;
    }
    const std::string base = "/sys/class/block/" + source.substr(source.rfind('/') + 1);
    for (const char* candidate : {"/removable", "/../removable"}) {
        std::ifstream flag(base + candidate);
        char value = '0';
        if (flag >> value) {
            return value == '1';
        }
    }
    return false;
}

bool IsRemote(const std::string& fsType) {
    return IsOneOf(fsType, {"nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs", "9p", "ceph", "glusterfs",
                            "fuse.sshfs", "davfs", "fuse.rclone"});
}

// The drive type of any mount, from its table line only.
std::optional<DriveType> TypeOfMount(const MountLine& mount) {
    if (IsRemote(mount.fsType)) {
        return DriveType::Remote;
    }
    if (IsOneOf(mount.fsType, {"tmpfs", "ramfs"})) {
        return DriveType::RamDisk;
    }
    if (!StartsWithDir(mount.source, "/dev") || IsOneOf(mount.fsType, {"squashfs", "devtmpfs"})) {
        if (mount.mountPoint == "/") {
            return DriveType::Fixed; // the root of a container or live system
        }
        return std::nullopt;
    }
    if (IsOneOf(mount.fsType, {"iso9660", "udf"}) || mount.source.rfind("/dev/sr", 0) == 0) {
        return DriveType::CdRom;
    }
    if (IsRemovableBlockDevice(mount.source) || StartsWithDir(mount.mountPoint, "/media") ||
        StartsWithDir(mount.mountPoint, "/run/media")) {
        return DriveType::Removable;
    }
    return DriveType::Fixed;
}

// Classifies one mount; false for mounts that are not drives. Network file systems
// are taken from the table without touching them, as a hung server would block any
// call on their mount point.
bool Classify(const MountLine& mount, DriveType& type) {
    if (mount.mountPoint == "/") {
        type = DriveType::Fixed;
        return true;
    }
    if (IsSystemInternal(mount.mountPoint)) {
        return false;
    }
    const std::optional<DriveType> found = TypeOfMount(mount);
    if (!found) {
        return false;
    }
    type = *found;
    if (type == DriveType::Remote) {
        return true;
    }
    if (type == DriveType::RamDisk && !IsUserMediaPath(mount.mountPoint)) {
        return false;
    }
    struct stat info {};
    // Single files bound into containers are not drives.
    return stat(mount.mountPoint.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

std::vector<DriveInfo> ListDrives() {
    // A later mount on the same point hides the earlier one.
    std::map<std::string, DriveInfo> byPath;
    for (const MountLine& mount : ReadMounts()) {
        DriveType type = DriveType::Fixed;
        if (Classify(mount, type)) {
            byPath[mount.mountPoint] = DriveInfo{mount.mountPoint, type, mount.fsType};
        } else {
            byPath.erase(mount.mountPoint);
        }
    }
    std::vector<DriveInfo> drives;
    const auto root = byPath.find("/");
    drives.push_back(root != byPath.end() ? root->second : DriveInfo{"/", DriveType::Fixed, ""});
    for (const auto& [path, drive] : byPath) {
        if (path != "/") {
            drives.push_back(drive);
        }
    }
    return drives;
}

std::optional<DriveType> DriveTypeOfPath(const std::string& path) {
    std::ifstream table("/proc/self/mounts");
    return DriveTypeOfPath(path, table);
}

std::optional<DriveType> DriveTypeOfPath(const std::string& path, std::istream& mountTable) {
    // The innermost mount holding the path; a later mount on the same point hides an earlier one.
    const MountLine* holder = nullptr;
    const std::vector<MountLine> mounts = ReadMounts(mountTable);
    for (const MountLine& mount : mounts) {
        const bool inside = mount.mountPoint == "/" || StartsWithDir(path, mount.mountPoint);
        if (inside && (!holder || mount.mountPoint.size() >= holder->mountPoint.size())) {
            holder = &mount;
        }
    }
    return holder ? TypeOfMount(*holder) : std::nullopt;
}

bool FreeSpace(const std::string& path, std::uint64_t& bytesFree) {
    struct statvfs info {};
    if (statvfs(path.c_str(), &info) != 0) {
        return false;
    }
    bytesFree = static_cast<std::uint64_t>(info.f_bavail) * static_cast<std::uint64_t>(info.f_frsize);
    return true;
}

std::optional<std::uint64_t> ReachableFreeSpace(const std::string& path, std::chrono::milliseconds bound) {
    struct Answer {
        std::mutex mutex;
        std::condition_variable ready;
        bool done = false;
        std::optional<std::uint64_t> bytes;
    };
    const auto answer = std::make_shared<Answer>();
    std::thread([answer, path] {
        std::uint64_t bytes = 0;
        const bool known = FreeSpace(path, bytes);
        const std::lock_guard<std::mutex> lock(answer->mutex);
        answer->done = true;
        if (known) {
            answer->bytes = bytes;
        }
        answer->ready.notify_all();
    }).detach();
    std::unique_lock<std::mutex> lock(answer->mutex);
    if (!answer->ready.wait_for(lock, bound, [&] { return answer->done; })) {
        return std::nullopt;
    }
    return answer->bytes;
}

bool SameFileSystem(const std::string& a, const std::string& b) {
    struct stat infoA {};
    struct stat infoB {};
    return lstat(a.c_str(), &infoA) == 0 && lstat(b.c_str(), &infoB) == 0 && infoA.st_dev == infoB.st_dev;
}

} // namespace vlt
