#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string.h>

namespace tarnex::kit {

// Key material that wipes itself with a wipe the optimiser may not drop.
template <std::size_t N> struct Secret {
    std::array<std::uint8_t, N> bytes{};

    Secret() = default;
    Secret(const Secret&) = delete;
    Secret& operator=(const Secret&) = delete;
    ~Secret() { explicit_bzero(bytes.data(), bytes.size()); }

    std::uint8_t* data() { return bytes.data(); }
    const std::uint8_t* data() const { return bytes.data(); }
    static constexpr std::size_t size() { return N; }
};

} // namespace tarnex::kit
