#pragma once
// Little-endian fields of the container's headers.
#include <cstdint>

namespace vlt {

inline void PutLe16(std::uint8_t* out, std::uint32_t value) {
    out[0] = static_cast<std::uint8_t>(value);
    out[1] = static_cast<std::uint8_t>(value >> 8);
}
inline void PutLe32(std::uint8_t* out, std::uint32_t value) {
    PutLe16(out, value);
    PutLe16(out + 2, value >> 16);
}
[[nodiscard]] inline std::uint32_t GetLe16(const std::uint8_t* in) {
    return static_cast<std::uint32_t>(in[0]) | static_cast<std::uint32_t>(in[1]) << 8;
}
[[nodiscard]] inline std::uint32_t GetLe32(const std::uint8_t* in) {
    return GetLe16(in) | GetLe16(in + 2) << 16;
}

} // namespace vlt
