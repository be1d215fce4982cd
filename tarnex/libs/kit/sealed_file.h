#pragma once

#include "tarnex/libs/kit/secret.h"

#include <array>
#include <cstdint>
#include <span>

namespace tarnex::kit {

// Layout of a sealed file: a 64-byte header, the enciphered content (as long as the original),
// then a 32-byte HMAC-SHA-256 tag over header and content.
//   0 magic (4 bytes, one per method)   4 version (1)   5 zero (3)
//   8 salt (16 random bytes)           24 original length (64-bit little-endian)
//  32 key check: HMAC-SHA-256 with the MAC key over bytes 0..31
constexpr std::size_t kHeaderSize = 64;
constexpr std::size_t kTagSize = 32;
constexpr std::uint8_t kFormatVersion = 1;

using Magic = std::array<std::uint8_t, 4>;

struct SealHeader {
    Magic magic{};
    std::array<std::uint8_t, 16> salt{};
    std::uint64_t length = 0;
};

struct SealKeys {
    Secret<32> cipherKey;
    Secret<32> macKey;
};

// What a method adds to the common sealing: its magic, its key derivation and, optionally, a
// transformation of the content bytes in file order (the key-file pad).
class SealingMethod {
public:
    virtual ~SealingMethod() = default;
    [[nodiscard]] virtual Magic MethodMagic() const = 0;
    // Fills `keys` for this header; reports and returns false when it cannot.
    [[nodiscard]] virtual bool DeriveKeys(const SealHeader& header, SealKeys& keys) = 0;
    // Called for consecutive pieces of the plain content; reports and returns false on failure.
    [[nodiscard]] virtual bool Mix(std::span<std::uint8_t> /*plainPiece*/) { return true; }
};

// Content is read into `in` and enciphered into `out`; both may be the same memory.
struct WorkBuffers {
    std::span<std::uint8_t> in;
    std::span<std::uint8_t> out;
};

// Encrypts the file in place: the result is written beside it and renamed over it only when complete.
// Every failure is reported and leaves the file as it was.
void SealFile(const char* path, SealingMethod& method, WorkBuffers buffers);

// Decrypts a file sealed by `method`. A wrong key is recognised before anything is written; damage is
// recognised by the tag before the original is replaced.
void UnsealFile(const char* path, SealingMethod& method, WorkBuffers buffers);

// True when the file carries the header of `method` (used where the caller passes no direction).
[[nodiscard]] bool CarriesMagic(const char* path, const Magic& magic);

} // namespace tarnex::kit
