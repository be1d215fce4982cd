#pragma once
// The three process-wide 64 KiB pattern buffers of one wiping run.
#include <cstddef>
#include <cstdint>

namespace vlt {

inline constexpr std::size_t kWipeBlockSize = 65536;

// Buffer 0..2, aligned for direct writes; nullptr before PrepareWipeBuffers.
[[nodiscard]] std::uint8_t* WipeBuffer(int index);

} // namespace vlt
