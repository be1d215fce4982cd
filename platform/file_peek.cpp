#include "platform/file_peek.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vlt {

OpenDirectory::OpenDirectory(std::string path) : path_(std::move(path)) {
    // O_PATH needs no read permission on the directory, only the right to pass it.
    fd_ = open(path_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

OpenDirectory::~OpenDirectory() {
    if (fd_ >= 0) {
        close(fd_);
    }
}

std::int64_t OpenDirectory::PeekFileStart(const std::string& name, void* buffer, std::size_t size) const {
    constexpr int kFlags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    const int fd = fd_ >= 0 ? openat(fd_, name.c_str(), kFlags) : open((path_ + name).c_str(), kFlags);
    if (fd < 0) {
        return -1;
    }
    std::int64_t got = -1;
    if (flock(fd, LOCK_SH | LOCK_NB) == 0) {
        // A directory fails here with EISDIR; regular files ignore O_NONBLOCK.
        ssize_t n = 0;
        do {
            n = read(fd, buffer, size);
        } while (n < 0 && errno == EINTR);
        got = n;
    }
    close(fd); // releases the lock
    return got;
}

} // namespace vlt
