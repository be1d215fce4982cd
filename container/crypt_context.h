#pragma once
// The per-run context shared by every file of an encryption or decryption run:
// the block buffers and the keyed cipher engine(s).
#include <cstdint>

namespace vlt {

// The passphrase(s) of the run as typed (no terminator), with their algorithms.
// secondAlgorithm 0 means a single algorithm.
struct KeyRecord {
    std::uint8_t firstAlgorithm = 0;
    const std::uint8_t* firstPassphrase = nullptr;
    std::uint16_t firstLength = 0;
    std::uint8_t secondAlgorithm = 0;
    const std::uint8_t* secondPassphrase = nullptr;
    std::uint16_t secondLength = 0;
};

// Results of SetupCryptContext.
inline constexpr int kSetupOk = 0;
inline constexpr int kSetupWeakKey = 1;            // VLT7 mode only: ask whether to continue
inline constexpr int kSetupRepeatedPassphrase = 2; // VLT7 mode only: proceed as on 0
inline constexpr int kSetupOutOfMemory = 3;        // "Out of memory!", the run ends
inline constexpr int kSetupInvalidAlgorithm = 4;   // the engine is not available; the run ends

// Allocates the run buffers (sized by the generation), selects and keys the
// engine(s): derived keys normally, the raw passphrase in VLT7 mode. On 3 and 4
// nothing stays allocated or keyed.
[[nodiscard]] int SetupCryptContext(const KeyRecord& keys, bool vlt7Mode);

// Zeroes and frees the buffers and removes the key from the engine(s).
void ReleaseCryptContext();

} // namespace vlt
