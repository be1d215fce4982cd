#pragma once
// Write-through files for wiping and free-space clearing: O_DIRECT writes from
// 4096-aligned buffers, with Sync() as the durability point each pass ends with.
// File systems that refuse O_DIRECT get buffered writes; Sync() then does the work.
#include <cstddef>
#include <cstdint>
#include <string>

namespace vlt {

constexpr std::size_t kDirectAlignment = 4096;

// A heap buffer aligned to kDirectAlignment, size rounded up to a multiple of it,
// zero-filled on allocation and zeroed on release. Empty() when memory was short.
class AlignedBuffer {
public:
    AlignedBuffer() = default;
    explicit AlignedBuffer(std::size_t size) noexcept;
    ~AlignedBuffer() { Release(); }
    AlignedBuffer(AlignedBuffer&& other) noexcept;
    AlignedBuffer& operator=(AlignedBuffer&& other) noexcept;
    AlignedBuffer(const AlignedBuffer&) = delete;
    AlignedBuffer& operator=(const AlignedBuffer&) = delete;

    std::uint8_t* Data() noexcept { return data_; }
    const std::uint8_t* Data() const noexcept { return data_; }
    std::size_t Size() const noexcept { return size_; }
    bool Empty() const noexcept { return data_ == nullptr; }
    void Release() noexcept;

private:
    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

class UnbufferedFile {
public:
    enum class Mode {
        OverwriteExisting, // an existing regular file, opened for writing, never truncated
        CreateNew,         // fails when the name exists
        CreateUnnamed      // `path` is a directory: a file without a name there (O_TMPFILE),
                           // gone with its space once closed, even when the process is killed
    };

    UnbufferedFile() = default;
    ~UnbufferedFile() { Close(); }
    UnbufferedFile(const UnbufferedFile&) = delete;
    UnbufferedFile& operator=(const UnbufferedFile&) = delete;

    // Takes the same exclusive lock as SafeOpen, so a file another handle holds
    // cannot be opened here. Never follows a symbolic link in any component of the path.
    [[nodiscard]] bool Open(const std::string& path, Mode mode);
    // Takes over an open descriptor of a regular file, opened for writing; the
    // caller's lock (if any) stays as it is. False (descriptor closed) when unusable.
    [[nodiscard]] bool Adopt(int descriptor);
    [[nodiscard]] bool Seek(std::uint64_t offset);
    // `length` should be a multiple of BlockSize() and `alignedData` aligned to
    // kDirectAlignment. Returns the bytes written: a short count when the disk
    // filled up part way, -1 when nothing was written (errno kept, ENOSPC for a full disk).
    [[nodiscard]] std::int64_t Write(const void* alignedData, std::size_t length);
    // Allocates [offset, offset + length) ahead of the writes (the file grows to cover
    // it); false where the file system cannot, or has no room.
    [[nodiscard]] bool Reserve(std::uint64_t offset, std::uint64_t length);
    // fdatasync: everything written so far is on the disk when this returns true.
    [[nodiscard]] bool Sync();
    bool Close();

    bool IsOpen() const { return fd_ >= 0; }
    int Descriptor() const { return fd_; }
    // The file system's block size (a power of two from 512 to 65536), 4096 when unknown.
    std::size_t BlockSize() const { return blockSize_; }
    // False when the file system refused O_DIRECT and writes go through the page cache.
    bool IsDirect() const { return direct_; }

private:
    int fd_ = -1;
    bool direct_ = false;
    std::size_t blockSize_ = kDirectAlignment;
};

} // namespace vlt
