#pragma once
// Reads a file for a check. A file just written is read as the device holds it,
// not as the page cache remembers it: with O_DIRECT where the file system allows
// it, else after the file's data was written out and its cached pages dropped. A
// file at rest is read through the cache (with its read-ahead) without changing
// its access time.
#include "platform/unbuffered_file.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace vlt {

class DeviceReader {
public:
    DeviceReader() = default;
    ~DeviceReader() { Close(); }
    DeviceReader(const DeviceReader&) = delete;
    DeviceReader& operator=(const DeviceReader&) = delete;

    // A reading descriptor of its own for the file `descriptor` holds (its lock
    // stays with the holder), read from the start, from the device.
    [[nodiscard]] bool OpenSame(int descriptor);
    // A regular file by path, without following links, read through the cache and
    // without changing its access time where the platform allows that.
    [[nodiscard]] bool OpenPath(const std::string& path);
    // Up to `length` bytes from the current position: fewer at the end, -1 on a read error.
    [[nodiscard]] std::int64_t Read(void* data, std::size_t length);
    void Close();

    // False when reads go through the page cache (O_DIRECT refused).
    [[nodiscard]] bool IsDirect() const { return direct_; }

private:
    [[nodiscard]] bool Start(int fd, bool fromDevice);
    [[nodiscard]] bool Refill();
    [[nodiscard]] std::int64_t ReadCached(std::uint8_t* data, std::size_t length);
    [[nodiscard]] bool FallBackToCache();

    int fd_ = -1;
    bool direct_ = false;
    AlignedBuffer chunk_;
    std::size_t chunkLength_ = 0; // valid bytes in chunk_
    std::size_t chunkUsed_ = 0;   // bytes of them handed out
    std::uint64_t fileOffset_ = 0; // where the next chunk starts
    bool atEnd_ = false;
};

} // namespace vlt
