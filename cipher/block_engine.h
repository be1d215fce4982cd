#pragma once
// The one interface every 64-bit block cipher engine offers. A block is two
// 32-bit words; the engine interface loads them little-endian from the caller's
// bytes (word 0 = bytes 0..3). Engines never allocate per block.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace vlt {

// Word n of a block buffer: bytes 4n..4n+3, least significant first, at any alignment.
inline std::uint32_t LoadWordLE(const std::uint8_t* bytes) noexcept {
    std::uint32_t word;
    std::memcpy(&word, bytes, sizeof word);
    if constexpr (std::endian::native == std::endian::big) {
        word = __builtin_bswap32(word);
    }
    return word;
}

inline void StoreWordLE(std::uint8_t* bytes, std::uint32_t word) noexcept {
    if constexpr (std::endian::native == std::endian::big) {
        word = __builtin_bswap32(word);
    }
    std::memcpy(bytes, &word, sizeof word);
}

class BlockEngine {
public:
    virtual ~BlockEngine() = default;

    // Key setup from the engine's current tables; never called with length 0.
    virtual void SetKey(const std::uint8_t* key, std::uint16_t length) = 0;

    virtual void EncryptBlock(std::uint32_t& w0, std::uint32_t& w1) const = 0;
    virtual void DecryptBlock(std::uint32_t& w0, std::uint32_t& w1) const = 0;

    // Runs of independent blocks; words holds 2 * blocks words.
    virtual void EncryptBlocks(std::uint32_t* words, std::size_t blocks) const;
    virtual void DecryptBlocks(std::uint32_t* words, std::size_t blocks) const;

    // CBC over whole blocks; c0/c1 is the chaining value, read at the start and
    // written back with the last ciphertext block. Engines override these with
    // faster loops (decryption may interleave blocks); results must not change.
    virtual void EncryptCBC(std::uint32_t* words, std::size_t blocks, std::uint32_t& c0, std::uint32_t& c1) const;
    virtual void DecryptCBC(std::uint32_t* words, std::size_t blocks, std::uint32_t& c0, std::uint32_t& c1) const;

    // The same CBC on the caller's bytes (blocks of two little-endian words, any
    // alignment), so a whole buffer costs one call. The defaults convert chunk by
    // chunk through the word operations; engines may work on the bytes directly.
    virtual void EncryptCBCBytes(std::uint8_t* bytes, std::size_t blocks, std::uint32_t& c0, std::uint32_t& c1) const;
    virtual void DecryptCBCBytes(std::uint8_t* bytes, std::size_t blocks, std::uint32_t& c0, std::uint32_t& c1) const;

    // Table-keyed engines (Blowfish, Blowfish32, Cobra) snapshot their unkeyed
    // tables; TableWords() is 0 for the others.
    virtual std::size_t TableWords() const { return 0; }
    virtual void SaveTables(std::uint32_t* /*destination*/) const {}
    virtual void RestoreTables(const std::uint32_t* /*source*/) {}

    // Judges the last key setup (Blowfish variants and TDES only).
    virtual bool HasWeakKeyTest() const { return false; }
    virtual bool IsWeakKey() const { return false; }
};

} // namespace vlt
