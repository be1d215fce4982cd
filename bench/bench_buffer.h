#pragma once
// The input of the cipher benchmarks: 256 KiB, the largest buffer a file run hands to
// the engine interface, filled with a fixed pseudo-random pattern so that every run
// measures the same bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace bench {

using Bytes = std::vector<std::uint8_t>;
inline constexpr std::size_t kBufferSize = 256 * 1024;

inline Bytes PatternBuffer() {
    Bytes bytes(kBufferSize);
    std::uint32_t x = 12345;
    for (auto& byte : bytes) {
        x = x * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(x >> 16);
    }
    return bytes;
}

} // namespace bench
