#pragma once
// Keys from passphrases. KeyHash is the SHA-1 compression function with two
// differences that every stored key depends on: the final length field counts
// bytes (placed as L * 65536 in the 64-bit field) and the digest words are
// written least significant byte first.
#include <array>
#include <cstdint>

namespace vlt {

using KeyDigest = std::array<std::uint8_t, 20>;

// A negative length hashes the empty message.
[[nodiscard]] KeyDigest KeyHash(const std::uint8_t* message, std::int32_t length);

// Fills keyLength bytes: D1 = KeyHash(passphrase), D2 = KeyHash(passphrase, D1),
// ... concatenated, the unused tail of the last digest folded XOR into the key
// from its start. Leaves key untouched when either length is 0.
void DeriveKey(const std::uint8_t* passphrase, std::uint16_t passphraseLength, std::uint8_t* key,
               std::uint16_t keyLength);

// True when the text is shorter than 2 bytes or is a shorter part repeated
// (byte for byte, so case matters).
[[nodiscard]] bool IsRepeatedPassphrase(const std::uint8_t* text, std::uint16_t length);

// Number of KeyHash calls so far in this process (lets tests count the digests a
// derivation takes).
[[nodiscard]] std::uint64_t KeyHashCount();

} // namespace vlt
