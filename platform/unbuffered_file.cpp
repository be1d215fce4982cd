#include "platform/unbuffered_file.h"

#include "platform/no_follow.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace vlt {

AlignedBuffer::AlignedBuffer(std::size_t size) noexcept {
    if (size == 0 || size > std::numeric_limits<std::size_t>::max() - kDirectAlignment) {
        return;
    }
    const std::size_t rounded = (size + kDirectAlignment - 1) / kDirectAlignment * kDirectAlignment;
    data_ = static_cast<std::uint8_t*>(std::aligned_alloc(kDirectAlignment, rounded));
    if (data_) {
        std::memset(data_, 0, rounded);
        size_ = rounded;
    }
}

AlignedBuffer::AlignedBuffer(AlignedBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

AlignedBuffer& AlignedBuffer::operator=(AlignedBuffer&& other) noexcept {
    if (this != &other) {
        Release();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

void AlignedBuffer::Release() noexcept {
    if (data_) {
        explicit_bzero(data_, size_);
        std::free(data_);
    }
    data_ = nullptr;
    size_ = 0;
}

namespace {

std::size_t UsableBlockSize(const struct stat& info) {
    const auto size = static_cast<std::size_t>(info.st_blksize);
    const bool powerOfTwo = size != 0 && (size & (size - 1)) == 0;
    return powerOfTwo && size >= 512 && size <= 65536 ? size : kDirectAlignment;
}

bool EnableDirect(int fd) {
    const int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | O_DIRECT) == 0;
}

bool DisableDirect(int fd) {
    const int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && fcntl(fd, F_SETFL, flags & ~O_DIRECT) == 0;
}

} // namespace

bool UnbufferedFile::Open(const std::string& path, Mode mode) {
    Close();
    // O_DIRECT is switched on after the open: a file system that refuses it then
    // still gives us the file, and a new file is never created twice.
    int flags = O_WRONLY | O_NONBLOCK;
    if (mode == Mode::CreateNew) {
        flags |= O_CREAT | O_EXCL;
    } else if (mode == Mode::CreateUnnamed) {
        flags |= O_TMPFILE;
    }
    const int fd = OpenNoFollow(path, flags, 0600);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flock(fd, LOCK_EX | LOCK_NB) != 0 ||
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        const int saved = errno;
        close(fd);
        errno = saved;
        return false;
    }
    fd_ = fd;
    blockSize_ = UsableBlockSize(info);
    direct_ = EnableDirect(fd);
    return true;
}

bool UnbufferedFile::Adopt(int descriptor) {
    Close();
    struct stat info {};
    if (descriptor < 0 || fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (descriptor >= 0) {
            close(descriptor);
        }
        return false;
    }
    fd_ = descriptor;
    blockSize_ = UsableBlockSize(info);
    direct_ = EnableDirect(descriptor);
    return true;
}

bool UnbufferedFile::Seek(std::uint64_t offset) {
    if (fd_ < 0 || offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) {
        return false;
    }
    return lseek(fd_, static_cast<off_t>(offset), SEEK_SET) >= 0;
}

std::int64_t UnbufferedFile::Write(const void* alignedData, std::size_t length) {
    if (fd_ < 0) {
        errno = EBADF;
        return -1;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(alignedData);
    std::size_t written = 0;
    while (written < length) {
        const ssize_t n = write(fd_, bytes + written, length - written);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        // A buffer or length the device cannot take directly goes through the page cache.
        if (n < 0 && errno == EINVAL && direct_ && DisableDirect(fd_)) {
            direct_ = false;
            continue;
        }
        if (n == 0) {
            errno = ENOSPC;
        }
        break;
    }
    if (written == 0 && length > 0) {
        return -1;
    }
    return static_cast<std::int64_t>(written);
}

bool UnbufferedFile::Reserve(std::uint64_t offset, std::uint64_t length) {
    const auto limit = static_cast<std::uint64_t>(std::numeric_limits<off_t>::max());
    if (fd_ < 0 || offset > limit || length > limit - offset) {
        return false;
    }
    return fallocate(fd_, 0, static_cast<off_t>(offset), static_cast<off_t>(length)) == 0;
}

bool UnbufferedFile::Sync() {
    return fd_ >= 0 && fdatasync(fd_) == 0;
}

bool UnbufferedFile::Close() {
    if (fd_ < 0) {
        return false;
    }
    const bool closed = close(fd_) == 0;
    fd_ = -1;
    direct_ = false;
    blockSize_ = kDirectAlignment;
    return closed;
}

} // namespace vlt
