#pragma once
// The six algorithms by id: display name, derived key length and engine. The
// settings store these ids; the encrypted file does not record them.
#include <cstdint>
#include <memory>

#include "cipher/block_engine.h"

namespace vlt {

// 1 "Blowfish", 2 "Blowfish32", 3 "GOST", 4 "TDES", 5 "Cobra", 6 "IDEA"; 0 stands
// for no (second) algorithm; 7..255 are invalid.
using AlgorithmId = std::uint8_t;

constexpr AlgorithmId kAlgorithmCount = 6;

// "" for invalid ids.
[[nodiscard]] const char* AlgorithmName(AlgorithmId id);

// Bytes of key DeriveKey produces for the algorithm: 56, 56, 32, 21, 32, 16; 0 for invalid ids.
[[nodiscard]] std::uint16_t DerivedKeyLength(AlgorithmId id);

// A fresh engine with its initial tables, or nullptr when the id is invalid or
// this build has no engine for it.
[[nodiscard]] std::unique_ptr<BlockEngine> MakeAlgorithmEngine(AlgorithmId id);

} // namespace vlt
