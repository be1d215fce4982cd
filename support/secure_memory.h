#pragma once
// Key material and run buffers are wiped before their memory goes back to the
// allocator; the wipe must survive the optimiser even though the memory is dead.
#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>

namespace vlt {

// Overwrites n bytes with zeros in a way the compiler cannot drop.
void SecureZero(void* data, std::size_t n) noexcept;

// A fixed-size heap buffer that zeroes itself on release. Move-only.
class SecureBuffer {
public:
    SecureBuffer() = default;
    explicit SecureBuffer(std::size_t size) : data_(new std::uint8_t[size]()), size_(size) {}
    // Allocation that reports failure instead of throwing: check Empty() afterwards.
    static SecureBuffer TryAllocate(std::size_t size) noexcept {
        SecureBuffer buffer;
        buffer.data_ = new (std::nothrow) std::uint8_t[size]();
        buffer.size_ = buffer.data_ ? size : 0;
        return buffer;
    }
    SecureBuffer(SecureBuffer&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}
    SecureBuffer& operator=(SecureBuffer&& other) noexcept {
        if (this != &other) {
            Release();
            data_ = std::exchange(other.data_, nullptr);
            size_ = std::exchange(other.size_, 0);
        }
        return *this;
    }
    SecureBuffer(const SecureBuffer&) = delete;
    SecureBuffer& operator=(const SecureBuffer&) = delete;
    ~SecureBuffer() { Release(); }

    // Zeroes and frees the memory; the buffer is empty afterwards.
    void Release() noexcept {
        if (data_) {
            SecureZero(data_, size_);
            delete[] data_;
        }
        data_ = nullptr;
        size_ = 0;
    }

    std::uint8_t* Data() noexcept { return data_; }
    const std::uint8_t* Data() const noexcept { return data_; }
    std::size_t Size() const noexcept { return size_; }
    bool Empty() const noexcept { return data_ == nullptr; }
    std::uint8_t& operator[](std::size_t i) noexcept { return data_[i]; }
    const std::uint8_t& operator[](std::size_t i) const noexcept { return data_[i]; }

private:
    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

} // namespace vlt
