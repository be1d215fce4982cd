#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <unistd.h>
#include <utility>

namespace tarnex::kit {

// Closes a descriptor on every path.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { Reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Fd& operator=(Fd&& other) noexcept {
        if (this != &other) {
            Reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    [[nodiscard]] int Get() const { return fd_; }
    [[nodiscard]] bool Valid() const { return fd_ >= 0; }
    [[nodiscard]] bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }
    void Reset() { (void)Close(); }

private:
    int fd_;
};

// Repeats `io` (read or write) until `size` bytes have moved; false at the end of the file or on an error.
template <typename Byte, typename Io> [[nodiscard]] bool MoveExactly(Io io, int fd, Byte* data, std::size_t size) {
    while (size > 0) {
        const ssize_t moved = io(fd, data, size);
        if (moved < 0 && errno == EINTR) {
            continue;
        }
        if (moved <= 0) {
            return false;
        }
        data += moved;
        size -= std::size_t(moved);
    }
    return true;
}

[[nodiscard]] inline bool ReadExactly(int fd, std::uint8_t* data, std::size_t size) {
    return MoveExactly(::read, fd, data, size);
}

[[nodiscard]] inline bool WriteExactly(int fd, const std::uint8_t* data, std::size_t size) {
    return MoveExactly(::write, fd, data, size);
}

} // namespace tarnex::kit
