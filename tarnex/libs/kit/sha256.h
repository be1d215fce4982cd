#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tarnex::kit {

using Digest = std::array<std::uint8_t, 32>;

// SHA-256 (FIPS 180-4), fed in pieces.
class Sha256 {
public:
    Sha256();
    Sha256(const Sha256&) = default;
    Sha256& operator=(const Sha256&) = default;
    ~Sha256();
    void Update(std::span<const std::uint8_t> data);
    [[nodiscard]] Digest Final();

private:
    void Compress(const std::uint8_t* block);

    std::array<std::uint32_t, 8> state_;
    std::array<std::uint8_t, 64> block_{};
    std::size_t used_ = 0;
    std::uint64_t total_ = 0;
};

// HMAC-SHA-256 (RFC 2104), fed in pieces.
class HmacSha256 {
public:
    explicit HmacSha256(std::span<const std::uint8_t> key);
    HmacSha256(const HmacSha256&) = default;
    HmacSha256& operator=(const HmacSha256&) = default;
    ~HmacSha256();
    void Update(std::span<const std::uint8_t> data) { inner_.Update(data); }
    [[nodiscard]] Digest Final();

private:
    Sha256 inner_;
    std::array<std::uint8_t, 64> outerPad_{};
};

[[nodiscard]] Digest HmacOf(std::span<const std::uint8_t> key, std::span<const std::uint8_t> data);

// PBKDF2 with HMAC-SHA-256 (RFC 8018) filling `out`.
void Pbkdf2Sha256(std::span<const std::uint8_t> password, std::span<const std::uint8_t> salt, std::uint32_t iterations,
                  std::span<std::uint8_t> out);

// Comparison whose time does not depend on where the inputs differ.
[[nodiscard]] bool EqualInConstantTime(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b);

} // namespace tarnex::kit
