#pragma once
// Little-endian words in byte buffers: every integer the program stores (container
// headers, settings, listing blocks, wipe patterns) is written and read through these.
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
inline void PutLe64(std::uint8_t* out, std::uint64_t value) {
    PutLe32(out, static_cast<std::uint32_t>(value));
    PutLe32(out + 4, static_cast<std::uint32_t>(value >> 32));
}
[[nodiscard]] inline std::uint32_t GetLe16(const std::uint8_t* in) {
    return static_cast<std::uint32_t>(in[0]) | static_cast<std::uint32_t>(in[1]) << 8;
}
[[nodiscard]] inline std::uint32_t GetLe32(const std::uint8_t* in) {
    return GetLe16(in) | GetLe16(in + 2) << 16;
}
[[nodiscard]] inline std::uint64_t GetLe64(const std::uint8_t* in) {
    return GetLe32(in) | static_cast<std::uint64_t>(GetLe32(in + 4)) << 32;
}

} // namespace vlt
