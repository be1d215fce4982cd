#include "support/file_access.h"

#include "platform/no_follow.h"
#include "platform/paths.h"
#include "support/file_faults.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <limits>
#include <mutex>
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

std::mutex gLastFileErrorMutex;
int gLastFileError = 0;
std::string gLastFileErrorPath;

// A simulated failure reads as an I/O error.
bool Injected(FileOp op) {
    if (!ConsumeFileFault(op)) {
        return false;
    }
    NoteFileError(EIO);
    return true;
}

// Notes errno and gives the failure value of the caller.
template <typename T> T FailWith(T value) {
    NoteFileError(errno);
    return value;
}

constexpr mode_t kNormalFileMode = 0666; // narrowed by the umask

// Opens without following a final symbolic link and without blocking on a fifo,
// accepts regular files only and takes the exclusive lock; `truncate` empties the
// file once the lock is held, so a file another handle holds is never emptied.
FileHandle OpenLocked(const std::string& path, int flags, bool truncate) {
    if (Injected(FileOp::Open)) {
        return {};
    }
    FileHandle handle(OpenNoFollow(path, flags | O_NONBLOCK, kNormalFileMode));
    if (!handle.IsOpen()) {
        NoteFileError(errno, path);
        return {};
    }
    const int fd = handle.Descriptor();
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        NoteFileError(errno, path);
        return {};
    }
    if (!S_ISREG(info.st_mode)) {
        NoteFileError(EINVAL, path);
        return {};
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        NoteFileError(EBUSY, path); // another handle holds the file
        return {};
    }
    const int status = fcntl(fd, F_GETFL);
    if (status < 0 || fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0 || (truncate && ftruncate(fd, 0) != 0)) {
        NoteFileError(errno, path);
        return {};
    }
    return handle;
}

// The directory of `path` reached without links, and the entry's name in it.
class ParentDirectory {
public:
    explicit ParentDirectory(const std::string& path) : fd_(path.empty() ? -1 : OpenParentNoFollow(path, name_)) {}
    ~ParentDirectory() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    ParentDirectory(const ParentDirectory&) = delete;
    ParentDirectory& operator=(const ParentDirectory&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    int Fd() const { return fd_; }
    const char* Name() const { return name_.c_str(); }
    bool Stat(struct stat& info) const { return fd_ >= 0 && fstatat(fd_, Name(), &info, AT_SYMLINK_NOFOLLOW) == 0; }

private:
    std::string name_;
    int fd_;
};

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
    if (!handle.IsOpen() || Injected(FileOp::Read)) {
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
            return FailWith<std::int64_t>(-1);
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
    if (!handle.IsOpen() || Injected(FileOp::Write)) {
        return -1;
    }
    const DataFault dataFault = ConsumeDataFault();
    if (dataFault == DataFault::DropWrite) {
        return static_cast<std::int64_t>(total);
    }
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    std::size_t done = 0;
    if (dataFault == DataFault::FlipByte) {
        const std::uint8_t flipped = static_cast<std::uint8_t>(bytes[0] ^ 0x01);
        if (write(handle.Descriptor(), &flipped, 1) != 1) {
            return FailWith<std::int64_t>(-1);
        }
        done = 1;
    }
    while (done < total) {
        const ssize_t n = write(handle.Descriptor(), bytes + done, total - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            // A full disk part way gives the short count; nothing written at all is an error.
            NoteFileError(n == 0 ? ENOSPC : errno);
            return done > 0 ? static_cast<std::int64_t>(done) : -1;
        }
    }
    if (dataFault == DataFault::ShortenFile) {
        const off_t end = lseek(handle.Descriptor(), 0, SEEK_CUR);
        (void)ftruncate(handle.Descriptor(), end - static_cast<off_t>((total + 1) / 2));
    }
    return static_cast<std::int64_t>(done);
}

bool SyncFile(FileHandle& handle) {
    if (!handle.IsOpen() || Injected(FileOp::Sync)) {
        return false;
    }
    return fsync(handle.Descriptor()) == 0 || FailWith(false);
}

int LastFileError() {
    const std::lock_guard<std::mutex> lock(gLastFileErrorMutex);
    return gLastFileError;
}

std::string LastFileErrorPath() {
    const std::lock_guard<std::mutex> lock(gLastFileErrorMutex);
    return gLastFileErrorPath;
}

void ClearLastFileError() {
    const std::lock_guard<std::mutex> lock(gLastFileErrorMutex);
    gLastFileError = 0;
    gLastFileErrorPath.clear();
}

void NoteFileError(int error, const std::string& path) {
    const std::lock_guard<std::mutex> lock(gLastFileErrorMutex);
    if (gLastFileError == 0) {
        gLastFileError = error;
        gLastFileErrorPath = path;
    }
}

bool FileExistsAny(const std::string& path) {
    struct stat info {};
    return ParentDirectory(path).Stat(info);
}

bool EntryIdentity(const std::string& path, FileIdentity& identity) {
    struct stat info {};
    if (!ParentDirectory(path).Stat(info)) {
        return false;
    }
    identity = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
    return true;
}

std::uint64_t FileSizeOf(const std::string& path) {
    struct stat info {};
    if (!ParentDirectory(path).Stat(info) || !S_ISREG(info.st_mode)) {
        return 0;
    }
    return static_cast<std::uint64_t>(info.st_size);
}

bool SafeDelete(const std::string& path) {
    if (ConsumeFileFault(FileOp::Delete)) {
        return false;
    }
    // unlinkat without AT_REMOVEDIR removes a symbolic link itself and refuses directories.
    const ParentDirectory parent(path);
    return parent.IsOpen() && unlinkat(parent.Fd(), parent.Name(), 0) == 0;
}

bool SafeRename(const std::string& from, const std::string& to) {
    if (ConsumeFileFault(FileOp::Rename)) {
        return false;
    }
    const ParentDirectory source(from);
    const ParentDirectory target(to);
    if (!source.IsOpen() || !target.IsOpen()) {
        return false;
    }
    return RenameAtNoReplace(source.Fd(), source.Name(), target.Fd(), target.Name()) == 0;
}

bool SafeReplace(const std::string& from, const std::string& to) {
    if (ConsumeFileFault(FileOp::Rename)) {
        return false;
    }
    const ParentDirectory source(from);
    const ParentDirectory target(to);
    return source.IsOpen() && target.IsOpen() &&
           renameat(source.Fd(), source.Name(), target.Fd(), target.Name()) == 0;
}

bool GetAttributes(const std::string& path, std::uint16_t& attributes) {
    struct stat info {};
    if (ConsumeFileFault(FileOp::GetAttributes) || !ParentDirectory(path).Stat(info)) {
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
    const int fd = OpenNoFollow(path, O_PATH);
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
