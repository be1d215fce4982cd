#include "support/device_reader.h"

#include "platform/no_follow.h"
#include "support/file_faults.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace vlt {
namespace {

// Large enough that a read costs little beside the decipher of what it brings.
constexpr std::size_t kChunkSize = 1 << 20;

bool SetDirect(int fd, bool on) {
    const int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && fcntl(fd, F_SETFL, on ? (flags | O_DIRECT) : (flags & ~O_DIRECT)) == 0;
}

} // namespace

bool DeviceReader::OpenSame(int descriptor) {
    Close();
    if (descriptor < 0) {
        return false;
    }
    // A new open file description, so that O_DIRECT here never reaches the holder's.
    const std::string self = "/proc/self/fd/" + std::to_string(descriptor);
    int fd = open(self.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        fd = fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
    }
    return Start(fd, true);
}

bool DeviceReader::OpenPath(const std::string& path) {
    Close();
    int fd = OpenNoFollow(path, O_RDONLY | O_NONBLOCK | O_NOATIME, 0);
    if (fd < 0 && errno == EPERM) {
        fd = OpenNoFollow(path, O_RDONLY | O_NONBLOCK, 0); // not the owner: access times may change
    }
    return Start(fd, false);
}

bool DeviceReader::Start(int fd, bool fromDevice) {
    if (fd < 0) {
        return false;
    }
    fd_ = fd;
    struct stat info {};
    const int flags = fcntl(fd_, F_GETFL);
    if (fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode) || flags < 0 || fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        Close();
        return false;
    }
    if (!fromDevice) {
        return true;
    }
    chunk_ = AlignedBuffer(kChunkSize);
    if (chunk_.Empty()) {
        Close();
        return false;
    }
    direct_ = !ConsumeFileFault(FileOp::DirectRead) && SetDirect(fd_, true);
    return direct_ || FallBackToCache();
}

// Straight into the caller's memory: the page cache needs no aligned chunk.
std::int64_t DeviceReader::ReadCached(std::uint8_t* data, std::size_t length) {
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = pread(fd_, data + done, length - done, static_cast<off_t>(fileOffset_));
        if (n == 0) {
            break;
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return -1;
        }
        done += static_cast<std::size_t>(n);
        fileOffset_ += static_cast<std::uint64_t>(n);
    }
    return static_cast<std::int64_t>(done);
}

// Written out first, so that dropping the cached pages cannot lose them.
bool DeviceReader::FallBackToCache() {
    direct_ = false;
    if (!SetDirect(fd_, false) || fdatasync(fd_) != 0) {
        return false;
    }
    (void)posix_fadvise(fd_, 0, 0, POSIX_FADV_DONTNEED);
    return true;
}

bool DeviceReader::Refill() {
    chunkLength_ = 0;
    chunkUsed_ = 0;
    for (;;) {
        const ssize_t n = pread(fd_, chunk_.Data(), chunk_.Size(), static_cast<off_t>(fileOffset_));
        if (n >= 0) {
            chunkLength_ = static_cast<std::size_t>(n);
            fileOffset_ += chunkLength_;
            atEnd_ = chunkLength_ < chunk_.Size(); // a regular file reads short only at its end
            return true;
        }
        // Some file systems accept the flag but not the transfer.
        if (errno == EINVAL && direct_ && FallBackToCache()) {
            continue;
        }
        if (errno != EINTR) {
            return false;
        }
    }
}

std::int64_t DeviceReader::Read(void* data, std::size_t length) {
    if (fd_ < 0) {
        return -1;
    }
    auto* out = static_cast<std::uint8_t*>(data);
    if (chunk_.Empty()) {
        return ReadCached(out, length);
    }
    std::size_t done = 0;
    while (done < length) {
        if (chunkUsed_ == chunkLength_) {
            if (atEnd_) {
                break;
            }
            if (!Refill()) {
                return -1;
            }
            if (chunkLength_ == 0) {
                break;
            }
        }
        const std::size_t count = std::min(length - done, chunkLength_ - chunkUsed_);
        std::memcpy(out + done, chunk_.Data() + chunkUsed_, count);
        chunkUsed_ += count;
        done += count;
    }
    return static_cast<std::int64_t>(done);
}

void DeviceReader::Close() {
    if (fd_ >= 0) {
        if (direct_) {
            (void)SetDirect(fd_, false); // the description may be shared with the file's holder
        }
        close(fd_);
    }
    fd_ = -1;
    direct_ = false;
    chunk_.Release();
    chunkLength_ = 0;
    chunkUsed_ = 0;
    fileOffset_ = 0;
    atEnd_ = false;
}

} // namespace vlt
