#include "platform/no_follow.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/openat2.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstdlib>

namespace vlt {
namespace {

// Cleared once the kernel has said it does not know openat2.
std::atomic<bool> gOpenat2Available{true};

} // namespace

// One component after the other, each opened relative to the one before with
// O_NOFOLLOW; the directories on the way as O_PATH handles.
int OpenNoFollowByWalk(const std::string& path, int flags, mode_t mode) {
    if (path.empty()) {
        errno = ENOENT;
        return -1;
    }
    int at = AT_FDCWD;
    if (!path.empty() && path[0] == '/') {
        at = open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (at < 0) {
            return -1;
        }
    }
    std::size_t start = 0;
    for (;;) {
        while (start < path.size() && path[start] == '/') {
            ++start;
        }
        const std::size_t end = path.find('/', start);
        const std::string component = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
        std::size_t next = end;
        while (next != std::string::npos && next < path.size() && path[next] == '/') {
            ++next;
        }
        const bool last = end == std::string::npos || next >= path.size();
        const std::string name = component.empty() ? std::string(".") : component;
        const int fd = last ? openat(at, name.c_str(), flags | O_NOFOLLOW | O_CLOEXEC, mode)
                            : openat(at, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (at != AT_FDCWD) {
            const int saved = errno;
            close(at);
            errno = saved;
        }
        if (fd < 0) {
            // An intermediate link shows as "not a directory"; name the real cause.
            if (!last && errno == ENOTDIR) {
                errno = ELOOP;
            }
            return -1;
        }
        if (last) {
            return fd;
        }
        at = fd;
        start = next;
    }
}

int OpenNoFollow(const std::string& path, int flags, mode_t mode) {
    if (path.empty()) {
        errno = ENOENT;
        return -1;
    }
    if (gOpenat2Available.load()) {
        open_how how{};
        how.flags = static_cast<std::uint64_t>(flags | O_NOFOLLOW | O_CLOEXEC);
        how.mode = (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE ? mode : 0;
        how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
        const long fd = syscall(SYS_openat2, AT_FDCWD, path.c_str(), &how, sizeof how);
        if (fd >= 0 || errno != ENOSYS) {
            return static_cast<int>(fd);
        }
        gOpenat2Available.store(false);
    }
    return OpenNoFollowByWalk(path, flags, mode);
}

int OpenParentNoFollow(const std::string& path, std::string& name) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') {
        trimmed.pop_back();
    }
    const std::size_t slash = trimmed.rfind('/');
    name = slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
    if (name.empty() || name == "." || name == "..") {
        errno = EINVAL;
        return -1;
    }
    const std::string directory = slash == std::string::npos ? std::string(".")
                                  : slash == 0                ? std::string("/")
                                                              : trimmed.substr(0, slash);
    return OpenNoFollow(directory, O_PATH | O_DIRECTORY);
}

std::string ResolveDirectoryPart(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') {
        trimmed.pop_back();
    }
    const std::size_t slash = trimmed.rfind('/');
    const std::string name = slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
    if (trimmed == "/" || name == "." || name == "..") {
        return path;
    }
    const std::string directory = slash == std::string::npos ? "." : slash == 0 ? "/" : trimmed.substr(0, slash);
    char resolved[PATH_MAX];
    if (realpath(directory.c_str(), resolved) == nullptr) {
        return path;
    }
    const std::string real = resolved;
    return (real == "/" ? "" : real) + "/" + name;
}

int RenameAtNoReplace(int fromDirectory, const char* from, int toDirectory, const char* to) {
    if (renameat2(fromDirectory, from, toDirectory, to, RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return -1;
    }
    if (linkat(fromDirectory, from, toDirectory, to, 0) == 0) {
        if (unlinkat(fromDirectory, from, 0) != 0) {
            const int saved = errno;
            unlinkat(toDirectory, to, 0);
            errno = saved;
            return -1;
        }
        return 0;
    }
    if (errno != EPERM && errno != EOPNOTSUPP) {
        return -1;
    }
    struct stat info {};
    if (fstatat(toDirectory, to, &info, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return -1;
    }
    return renameat(fromDirectory, from, toDirectory, to);
}

} // namespace vlt
