#include "support/file_access.h"

#include "platform/paths.h"
#include "support/file_faults.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <limits>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace vlt {

FileHandle::~FileHandle() {
    if (fd_ >= 0) {
        close(fd_);
    }
}

FileHandle::FileHandle(FileHandle&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            close(fd_);
        }
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

int FileHandle::Release() noexcept {
    return std::exchange(fd_, -1);
}

namespace {

constexpr mode_t kNormalFileMode = 0666; // narrowed by the umask

// Opens without following a final symbolic link and without blocking on a fifo,
// accepts regular files only and takes the exclusive lock; `truncate` empties the
// file once the lock is held, so a file another handle holds is never emptied.
FileHandle OpenLocked(const std::string& path, int flags, bool truncate) {
    if (ConsumeFileFault(FileOp::Open)) {
        return {};
    }
    FileHandle handle(open(path.c_str(), flags | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, kNormalFileMode));
    if (!handle.IsOpen()) {
        return {};
    }
    const int fd = handle.Descriptor();
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flock(fd, LOCK_EX | LOCK_NB) != 0) {
        return {};
    }
    const int status = fcntl(fd, F_GETFL);
    if (status < 0 || fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
        return {};
    }
    if (truncate && ftruncate(fd, 0) != 0) {
        return {};
    }
    return handle;
}

bool ValidElements(std::size_t size, std::size_t count, std::size_t& total) {
    if (count != 0 && size > std::numeric_limits<std::size_t>::max() / count) {
        return false;
    }
    total = size * count;
    return total <= static_cast<std::size_t>(std::numeric_limits<std::int64_t>::max());
}

} // namespace

FileHandle SafeOpen(const std::string& path, int mode) {
    switch (mode) {
    case omRead:
        return OpenLocked(path, O_RDONLY, false);
    case omWrite:
        return OpenLocked(path, O_WRONLY, false);
    case omReadWrite:
        return OpenLocked(path, O_RDWR, false);
    case omCreate:
        return OpenLocked(path, O_RDWR | O_CREAT, true);
    default:
        return {};
    }
}

FileHandle SafeCreateNew(const std::string& path) {
    return OpenLocked(path, O_RDWR | O_CREAT | O_EXCL, false);
}

bool SafeClose(FileHandle& handle) {
    if (!handle.IsOpen()) {
        return false;
    }
    const int fd = handle.Release();
    close(fd); // as on the original platform, the close's own outcome is not examined
    return !ConsumeFileFault(FileOp::Close);
}

std::int64_t SafeRead(void* buffer, std::size_t size, std::size_t count, FileHandle& handle) {
    std::size_t total = 0;
    if (!ValidElements(size, count, total)) {
        return -1;
    }
    if (total == 0) {
        return 0;
    }
    if (!handle.IsOpen() || ConsumeFileFault(FileOp::Read)) {
        return -1;
    }
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < total) {
        const ssize_t n = read(handle.Descriptor(), bytes + done, total - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            return -1;
        }
    }
    return static_cast<std::int64_t>(done);
}

std::int64_t SafeWrite(const void* buffer, std::size_t size, std::size_t count, FileHandle& handle) {
    std::size_t total = 0;
    if (!ValidElements(size, count, total)) {
        return -1;
    }
    if (total == 0) {
        return 0;
    }
    if (!handle.IsOpen() || ConsumeFileFault(FileOp::Write)) {
        return -1;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < total) {
        const ssize_t n = write(handle.Descriptor(), bytes + done, total - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            // A full disk part way gives the short count; nothing written at all is an error.
            return done > 0 ? static_cast<std::int64_t>(done) : -1;
        }
    }
    return static_cast<std::int64_t>(done);
}

bool SyncFile(FileHandle& handle) {
    return handle.IsOpen() && !ConsumeFileFault(FileOp::Sync) && fsync(handle.Descriptor()) == 0;
}

bool FileExistsAny(const std::string& path) {
    struct stat info {};
    return !path.empty() && lstat(path.c_str(), &info) == 0;
}

std::uint64_t FileSizeOf(const std::string& path) {
    struct stat info {};
    if (path.empty() || lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return 0;
    }
    return static_cast<std::uint64_t>(info.st_size);
}

bool SafeDelete(const std::string& path) {
    // unlink removes a symbolic link itself and refuses directories.
    return !ConsumeFileFault(FileOp::Delete) && !path.empty() && unlink(path.c_str()) == 0;
}

bool SafeRename(const std::string& from, const std::string& to) {
    if (ConsumeFileFault(FileOp::Rename) || from.empty() || to.empty()) {
        return false;
    }
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    // File systems without RENAME_NOREPLACE: link refuses an existing target just as well.
    if (link(from.c_str(), to.c_str()) != 0) {
        // Without hard links either (FAT): look first, then rename.
        const bool noLinks = errno == EPERM || errno == EOPNOTSUPP;
        return noLinks && !FileExistsAny(to) && rename(from.c_str(), to.c_str()) == 0;
    }
    if (unlink(from.c_str()) != 0) {
        unlink(to.c_str());
        return false;
    }
    return true;
}

bool SafeReplace(const std::string& from, const std::string& to) {
    return !ConsumeFileFault(FileOp::Rename) && !from.empty() && !to.empty() && rename(from.c_str(), to.c_str()) == 0;
}

bool GetAttributes(const std::string& path, std::uint16_t& attributes) {
    struct stat info {};
    if (ConsumeFileFault(FileOp::GetAttributes) || path.empty() || lstat(path.c_str(), &info) != 0) {
        return false;
    }
    attributes = AttributesFromMode(PathNamePart(path), info.st_mode);
    return true;
}

bool SetAttributes(const std::string& path, std::uint16_t attributes) {
    if (ConsumeFileFault(FileOp::SetAttributes) || path.empty()) {
        return false;
    }
    // Through an O_PATH descriptor the check and the change concern the same entry,
    // so a name swapped for a link in between cannot redirect the change.
    const int fd = open(path.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    bool changed = false;
    if (fstat(fd, &info) == 0 && !S_ISLNK(info.st_mode)) {
        const mode_t wanted = ModeWithAttributes(info.st_mode, attributes);
        const std::string procPath = "/proc/self/fd/" + std::to_string(fd);
        changed = wanted == (info.st_mode & 07777) || chmod(procPath.c_str(), wanted) == 0;
    }
    close(fd);
    return changed;
}

bool GetFileDateTime(const FileHandle& handle, std::uint32_t& dosDateTime) {
    dosDateTime = kInvalidDosDateTime;
    struct stat info {};
    if (!handle.IsOpen() || ConsumeFileFault(FileOp::GetDateTime) || fstat(handle.Descriptor(), &info) != 0) {
        return false;
    }
    dosDateTime = UnixToDosDateTime(static_cast<std::int64_t>(info.st_mtim.tv_sec));
    return dosDateTime != kInvalidDosDateTime;
}

bool SetFileDateTime(const FileHandle& handle, std::uint32_t dosDateTime) {
    std::int64_t seconds = 0;
    if (!handle.IsOpen() || ConsumeFileFault(FileOp::SetDateTime) || !DosDateTimeToUnix(dosDateTime, seconds)) {
        return false;
    }
    timespec times[2] = {};
    times[0].tv_nsec = UTIME_OMIT; // access time stays
    times[1].tv_sec = static_cast<time_t>(seconds);
    return futimens(handle.Descriptor(), times) == 0;
}

bool SafeCreateDirectory(const std::string& path) {
    return !ConsumeFileFault(FileOp::MakeDirectory) && !path.empty() && mkdir(path.c_str(), 0777) == 0;
}

bool SafeRemoveDirectory(const std::string& path) {
    return !ConsumeFileFault(FileOp::RemoveDirectory) && !path.empty() && rmdir(path.c_str()) == 0;
}

} // namespace vlt
