#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tarnex::kit {

// The ChaCha20 stream cipher (RFC 8439): 256-bit key, 96-bit nonce, 32-bit block counter.
class ChaCha20 {
public:
    ChaCha20(std::span<const std::uint8_t, 32> key, std::span<const std::uint8_t, 12> nonce,
             std::uint32_t firstBlock = 0);
    ~ChaCha20();
    ChaCha20(const ChaCha20&) = delete;
    ChaCha20& operator=(const ChaCha20&) = delete;

    // XORs the next bytes of the key stream into `data`; consecutive calls continue one stream.
    void Apply(std::span<std::uint8_t> data);

    // One 64-byte key-stream block for the current counter (exposed for known-answer tests).
    [[nodiscard]] std::array<std::uint8_t, 64> Block() const;

private:
    std::array<std::uint32_t, 16> input_{};
    std::array<std::uint8_t, 64> stream_{};
    std::size_t streamUsed_ = 64;
};

} // namespace tarnex::kit
