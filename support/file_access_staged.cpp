#include "support/file_access_staged.h"

#include "platform/no_follow.h"
#include "support/file_faults.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>

namespace vlt {
namespace {

// Work names tried in one directory: the work-file name, then it with 1, 2, ...
constexpr int kWorkNames = 32;
constexpr mode_t kWorkFileMode = 0600;
constexpr mode_t kSetIdBits = S_ISUID | S_ISGID;

std::atomic<unsigned> gHiddenCounter{0};

void CloseQuietly(int fd) {
    const int saved = errno;
    close(fd);
    errno = saved;
}

// Overwrites a whole file with zeros and makes that durable.
bool ZeroFill(int fd, std::uint64_t size) {
    static const std::uint8_t zeros[65536] = {};
    for (std::uint64_t done = 0; done < size;) {
        const auto chunk = static_cast<std::size_t>(std::min<std::uint64_t>(sizeof zeros, size - done));
        const ssize_t n = pwrite(fd, zeros, chunk, static_cast<off_t>(done));
        if (n <= 0) {
            if (n < 0 && errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::uint64_t>(n);
    }
    return fdatasync(fd) == 0;
}

enum class Stale { Removed, Busy };

// A work file nobody holds the lock of was left by a run that died: it may hold
// plain text, so it is overwritten before it is removed. One that a live run holds,
// or anything that is not a plain file, is left alone.
Stale ClearStaleWorkFile(int directory, const std::string& name) {
    const int fd = openat(directory, name.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT ? Stale::Removed : Stale::Busy;
    }
    struct stat info {};
    struct stat entry {};
    Stale result = Stale::Busy;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_nlink == 1 && flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        ZeroFill(fd, static_cast<std::uint64_t>(info.st_size)) &&
        fstatat(directory, name.c_str(), &entry, AT_SYMLINK_NOFOLLOW) == 0 && entry.st_dev == info.st_dev &&
        entry.st_ino == info.st_ino && unlinkat(directory, name.c_str(), 0) == 0) {
        result = Stale::Removed;
    }
    close(fd);
    return result;
}

// A new, empty, locked file that has no name yet (O_TMPFILE), or, where the file
// system cannot do that, one under a private name that no run takes for a work file.
int CreateUnnamed(int directory, std::string& privateName) {
    privateName.clear();
    // An unnamed file gets its name through /proc; without /proc it needs a private one.
    static const bool procAvailable = access("/proc/self/fd", X_OK) == 0;
    int fd = procAvailable ? openat(directory, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, kWorkFileMode) : -1;
    if (fd < 0) {
        for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
            privateName = ".vlt-new-" + std::to_string(getpid()) + "-" + std::to_string(gHiddenCounter++);
            fd = openat(directory, privateName.c_str(), O_CREAT | O_EXCL | O_RDWR | O_NOFOLLOW | O_CLOEXEC,
                        kWorkFileMode);
            if (fd < 0 && errno != EEXIST) {
                break;
            }
        }
        if (fd < 0) {
            return -1;
        }
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (!privateName.empty()) {
            unlinkat(directory, privateName.c_str(), 0);
        }
        CloseQuietly(fd);
        return -1;
    }
    return fd;
}

// Gives the locked file its work name; fails with EEXIST when the name is taken.
int NameUnnamed(int fd, int directory, const std::string& privateName, const std::string& workName) {
    if (privateName.empty()) {
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        return linkat(AT_FDCWD, self.c_str(), directory, workName.c_str(), AT_SYMLINK_FOLLOW);
    }
    return RenameAtNoReplace(directory, privateName.c_str(), directory, workName.c_str());
}

} // namespace

StagedOutput::~StagedOutput() {
    if (pending_) {
        (void)Discard();
    }
    if (directory_ >= 0) {
        close(directory_);
    }
}

bool StagedOutput::Create(const std::string& finalPath, const std::string& workName) {
    if (directory_ >= 0) {
        return false;
    }
    if (ConsumeFileFault(FileOp::Open)) {
        NoteFileError(EIO);
        return false;
    }
    directory_ = OpenParentNoFollow(finalPath, finalName_);
    if (directory_ < 0) {
        NoteFileError(errno, finalPath);
        return false;
    }
    const std::string directoryPart = finalPath.substr(0, finalPath.size() - finalName_.size());
    std::string privateName;
    const int fd = CreateUnnamed(directory_, privateName);
    if (fd < 0) {
        NoteFileError(errno, directoryPart + workName);
        return false;
    }
    FileHandle created(fd);
    for (int k = 0; k < kWorkNames; ++k) {
        const std::string name = k == 0 ? workName : workName + std::to_string(k);
        bool taken = false;
        for (int round = 0; round < 2; ++round) {
            if (NameUnnamed(fd, directory_, privateName, name) == 0) {
                handle_ = std::move(created);
                workName_ = name;
                workPath_ = directoryPart + name;
                pending_ = true;
                return true;
            }
            taken = errno == EEXIST;
            if (!taken || ClearStaleWorkFile(directory_, name) != Stale::Removed) {
                break;
            }
        }
        if (!taken) {
            break;
        }
    }
    NoteFileError(errno, directoryPart + workName);
    if (!privateName.empty()) {
        unlinkat(directory_, privateName.c_str(), 0);
    }
    return false;
}

void StagedOutput::TakeModeOf(const struct stat& model, mode_t mode) {
    model_ = model;
    mode_ = mode & 07777;
    hasModel_ = true;
}

bool StagedOutput::Sync() {
    if (!SyncFile(handle_)) {
        return false;
    }
    if (!hasModel_) {
        return true;
    }
    const int fd = handle_.Descriptor();
    struct stat own {};
    if (fstat(fd, &own) != 0) {
        return false;
    }
    // Ownership as far as the platform permits: the superuser gives both, anyone
    // else at least a group they belong to.
    if (own.st_uid != model_.st_uid || own.st_gid != model_.st_gid) {
        if (fchown(fd, model_.st_uid, model_.st_gid) != 0) {
            (void)fchown(fd, static_cast<uid_t>(-1), model_.st_gid);
        }
        if (fstat(fd, &own) != 0) {
            return false;
        }
    }
    mode_t mode = mode_;
    if (own.st_uid != model_.st_uid) {
        mode &= ~kSetIdBits;
    } else if (own.st_gid != model_.st_gid) {
        mode &= ~static_cast<mode_t>(S_ISGID);
    }
    return fchmod(fd, mode) == 0;
}

bool StagedOutput::Close() {
    return SafeClose(handle_);
}

bool StagedOutput::Publish(bool replace) {
    if (!pending_ || handle_.IsOpen()) {
        return false;
    }
    if (ConsumeFileFault(FileOp::Rename)) {
        NoteFileError(EIO);
        return false;
    }
    const int renamed = replace ? renameat(directory_, workName_.c_str(), directory_, finalName_.c_str())
                                : RenameAtNoReplace(directory_, workName_.c_str(), directory_, finalName_.c_str());
    if (renamed != 0) {
        NoteFileError(errno, workPath_);
        return false;
    }
    pending_ = false;
    // The new name itself is durable before anything is done about the original.
    const int listing = openat(directory_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing >= 0) {
        (void)fsync(listing);
        close(listing);
    }
    return true;
}

bool StagedOutput::Discard() {
    if (handle_.IsOpen()) {
        close(handle_.Release());
    }
    if (!pending_ || ConsumeFileFault(FileOp::Delete)) {
        return false;
    }
    if (unlinkat(directory_, workName_.c_str(), 0) != 0) {
        return false;
    }
    pending_ = false;
    return true;
}

bool StatHandle(const FileHandle& handle, struct stat& info) {
    return handle.IsOpen() && fstat(handle.Descriptor(), &info) == 0;
}

} // namespace vlt
