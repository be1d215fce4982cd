#include "support/file_transfer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <set>
#include <vector>

#include "platform/paths.h"
#include "support/file_access.h"
#include "support/file_faults.h"

namespace vlt {

namespace {

// Large kernel copies keep the system calls few; the fallback copies through memory.
constexpr std::size_t kKernelCopyChunk = 8U << 20;
constexpr std::size_t kBufferedCopyChunk = 1U << 20;
constexpr int kWorkNameAttempts = 100;

std::string DirectoryOf(const std::string& path) {
    const std::string directory = PathDirPart(path);
    return directory.empty() ? "./" : directory;
}

std::int64_t ModifiedNs(const struct stat& info) {
    return static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

// A new file in the target's directory that has no name of its own until Publish:
// unnamed (O_TMPFILE) where the file system has such files, else a work name that is
// removed again unless it was renamed to the target.
class PendingFile {
public:
    explicit PendingFile(const std::string& target) : directory_(DirectoryOf(target)) {}
    ~PendingFile() {
        if (!workName_.empty()) {
            unlink(workName_.c_str());
        }
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    [[nodiscard]] bool Create() {
        if (ConsumeFileFault(FileOp::Open)) {
            return false;
        }
        // Linking an unnamed file needs its /proc link; without /proc a work name serves.
        if (access("/proc/self/fd", X_OK) == 0) {
            handle_ = FileHandle(open(directory_.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
            if (handle_.IsOpen() || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) {
                return handle_.IsOpen();
            }
        }
        std::string name;
        if (!NewWorkName(name, [&](const std::string& candidate) {
                handle_ = FileHandle(open(candidate.c_str(), O_CREAT | O_EXCL | O_RDWR | O_NOFOLLOW | O_CLOEXEC, 0600));
                return handle_.IsOpen();
            })) {
            return false;
        }
        workName_ = name;
        return true;
    }

    FileHandle& Handle() { return handle_; }

    // Gives the complete file its target name: next to an existing `target` it fails
    // (Keep) or takes the target's place in one rename (Replace).
    [[nodiscard]] bool Publish(const std::string& target, Existing existing) {
        if (workName_.empty()) {
            if (existing == Existing::Keep) {
                return !ConsumeFileFault(FileOp::Rename) && LinkUnnamed(target);
            }
            // rename() cannot take a descriptor: a work name first, then over the target.
            if (ConsumeFileFault(FileOp::Rename) ||
                !NewWorkName(workName_, [&](const std::string& candidate) { return LinkUnnamed(candidate); })) {
                workName_.clear();
                return false;
            }
        }
        const bool published =
            existing == Existing::Replace ? SafeReplace(workName_, target) : SafeRename(workName_, target);
        if (published) {
            workName_.clear();
        }
        return published;
    }

private:
    template <typename TryName> bool NewWorkName(std::string& name, TryName tryName) {
        for (int attempt = 0; attempt < kWorkNameAttempts; ++attempt) {
            name = directory_ + ".vltcopy-" + std::to_string(getpid()) + "-" + std::to_string(attempt);
            if (tryName(name)) {
                return true;
            }
            if (errno != EEXIST) {
                break;
            }
        }
        name.clear();
        return false;
    }

    bool LinkUnnamed(const std::string& name) {
        const std::string link = "/proc/self/fd/" + std::to_string(handle_.Descriptor());
        return linkat(AT_FDCWD, link.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
    }

    std::string directory_;
    FileHandle handle_;
    std::string workName_;
};

// `durable`: the copy is synced before anyone relies on it, so its writeback starts at
// once, chunk by chunk, and runs beside the copying instead of all at the sync.
// `size` (the source's, as last seen) bounds the buffer: small files need no large one.
bool CopyBytes(FileHandle& source, FileHandle& target, bool durable, std::uint64_t size) {
    // The kernel copies within (and, on newer kernels, between some) file systems.
    for (;;) {
        if (ConsumeFileFault(FileOp::Read) || ConsumeFileFault(FileOp::Write)) {
            return false;
        }
        const ssize_t n =
            copy_file_range(source.Descriptor(), nullptr, target.Descriptor(), nullptr, kKernelCopyChunk, 0);
        if (n == 0) {
            return true;
        }
        if (n < 0 && errno != EINTR) {
            if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
                return false;
            }
            break; // nothing of this call was copied: both offsets stand where the copy goes on
        }
    }
    std::vector<std::uint8_t> buffer(std::clamp<std::uint64_t>(size + 1, 4096, kBufferedCopyChunk));
    off_t written = lseek(target.Descriptor(), 0, SEEK_CUR);
    for (;;) {
        const std::int64_t got = SafeRead(buffer.data(), 1, buffer.size(), source);
        if (got <= 0) {
            return got == 0;
        }
        if (SafeWrite(buffer.data(), 1, static_cast<std::size_t>(got), target) != got) {
            return false;
        }
        if (durable && written >= 0) {
            (void)sync_file_range(target.Descriptor(), written, got, SYNC_FILE_RANGE_WRITE);
            written += got;
        }
    }
}

// The copy behind SafeCopyFile; `copied` receives the source's state as it was copied.
// A `durable` copy is made so that a sync soon after finds little left to write.
bool CopyFile(const std::string& from, const std::string& to, Existing existing, bool durable,
              struct stat& copied) {
    FileHandle source = SafeOpen(from, omRead);
    if (!source.IsOpen() || fstat(source.Descriptor(), &copied) != 0) {
        return false;
    }
    if (existing == Existing::Keep && FileExistsAny(to)) {
        return false; // the rename would refuse it too, but only after the whole copy
    }
    PendingFile copy(to);
    if (!copy.Create() || !CopyBytes(source, copy.Handle(), durable || existing == Existing::Replace,
                                           static_cast<std::uint64_t>(copied.st_size))) {
        return false;
    }
    timespec times[2] = {};
    times[0].tv_nsec = UTIME_OMIT;
    times[1] = copied.st_mtim;
    const int fd = copy.Handle().Descriptor();
    if (ConsumeFileFault(FileOp::SetAttributes) || fchmod(fd, copied.st_mode & 0777) != 0 ||
        ConsumeFileFault(FileOp::SetDateTime) || futimens(fd, times) != 0) {
        return false;
    }
    // The old target is given up only for a copy that would survive a crash.
    if (existing == Existing::Replace && !SyncFile(copy.Handle())) {
        return false;
    }
    return copy.Publish(to, existing);
}

} // namespace

bool SafeCopyFile(const std::string& from, const std::string& to, Existing existing) {
    struct stat copied {};
    return CopyFile(from, to, existing, false, copied);
}

bool FileMover::Move(const std::string& from, const std::string& to, Existing existing) {
    struct stat source {};
    struct stat targetDirectory {};
    if (from.empty() || to.empty() || lstat(from.c_str(), &source) != 0 || !S_ISREG(source.st_mode) ||
        stat(DirectoryOf(to).c_str(), &targetDirectory) != 0) {
        return false;
    }
    if (source.st_dev == targetDirectory.st_dev) {
        if (existing == Existing::Replace ? SafeReplace(from, to) : SafeRename(from, to)) {
            return true;
        }
        if (errno != EXDEV) { // two mounts of one file system still need the copy
            return false;
        }
    }
    // A source that could not be deleted afterwards is not copied at all.
    if (access(DirectoryOf(from).c_str(), W_OK) != 0) {
        return false;
    }
    struct stat copied {};
    if (!CopyFile(from, to, existing, true, copied)) {
        return false;
    }
    pending_.push_back({from, DirectoryOf(to), static_cast<std::uint64_t>(copied.st_dev),
                        static_cast<std::uint64_t>(copied.st_ino), static_cast<std::uint64_t>(copied.st_size),
                        ModifiedNs(copied)});
    return true;
}

bool FileMover::Finish() {
    if (pending_.empty()) {
        return true;
    }
    std::vector<CopiedSource> copied;
    copied.swap(pending_);
    std::set<std::string> directories;
    for (const CopiedSource& file : copied) {
        directories.insert(file.targetDirectory);
    }
    for (const std::string& directory : directories) {
        FileHandle handle(open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!handle.IsOpen() || ConsumeFileFault(FileOp::Sync) || syncfs(handle.Descriptor()) != 0) {
            return false; // both copies stay
        }
    }
    bool deleted = true;
    for (const CopiedSource& file : copied) {
        // A source changed since its copy was taken keeps what the copy lacks.
        struct stat now {};
        const bool unchanged = lstat(file.path.c_str(), &now) == 0 && now.st_dev == file.device &&
                               now.st_ino == file.inode && static_cast<std::uint64_t>(now.st_size) == file.size &&
                               ModifiedNs(now) == file.modifiedNs;
        deleted = unchanged && SafeDelete(file.path) && deleted;
    }
    return deleted;
}

bool SafeMoveFile(const std::string& from, const std::string& to, Existing existing) {
    FileMover mover;
    return mover.Move(from, to, existing) && mover.Finish();
}

} // namespace vlt
