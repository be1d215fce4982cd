#pragma once
// The one entry point through which files are enciphered: select an algorithm
// (or a mixed pair) by id, key it from a passphrase, run CBC over the caller's
// buffers with a chaining value the caller holds, release. One context at a
// time, user-interface thread only.
//
// Every init starts from fresh engines with their initial tables, so a key
// schedule never builds on an earlier key; done zeroes and releases them.
#include <cstdint>

#include "cipher/algorithm_table.h"

namespace vlt {

// The CBC chaining value, laid out like a block (c0 = bytes 0..3 little-endian).
// The CBC operations read it first and leave the last ciphertext block in it, so
// consecutive calls continue one chain.
struct ChainingValue {
    std::uint32_t c0 = 0;
    std::uint32_t c1 = 0;
};

// A passphrase exactly as typed, no terminator.
struct KeyMaterial {
    const std::uint8_t* bytes = nullptr;
    std::uint16_t length = 0;
};

// Single algorithm. Returns true for an id with an engine; the id is recorded
// either way, and with an invalid id the other operations do nothing.
bool CryptInit(AlgorithmId id);
// Keys the engine from the passphrase, expanded by DeriveKey to the algorithm's
// DerivedKeyLength or taken raw. False when the engine's weak-key test fires
// (the engine stays keyed). An empty passphrase keys nothing and gives true.
[[nodiscard]] bool CryptSetKey(KeyMaterial key, bool deriveKey);
// CBC over length / 8 whole blocks in place; bytes past them are untouched.
void CryptEncryptCBC(std::uint8_t* buffer, std::uint32_t length, ChainingValue& chaining);
void CryptDecryptCBC(std::uint8_t* buffer, std::uint32_t length, ChainingValue& chaining);
void CryptDone();

// Mixed pair: every block is enciphered by the first algorithm and then by the
// second inside one CBC chain. Init returns false when either id is invalid (the
// second is not looked at when the first is).
bool MixedCryptInit(AlgorithmId first, AlgorithmId second);
// Each key is derived to its own algorithm's length (or taken raw). Keys nothing
// and gives true when either passphrase is empty; false when either weak-key test fires.
[[nodiscard]] bool MixedCryptSetKeys(KeyMaterial first, KeyMaterial second, bool deriveKey);
void MixedEncryptCBC(std::uint8_t* buffer, std::uint32_t length, ChainingValue& chaining);
void MixedDecryptCBC(std::uint8_t* buffer, std::uint32_t length, ChainingValue& chaining);
void MixedCryptDone();

} // namespace vlt
