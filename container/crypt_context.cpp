#include "container/crypt_context.h"

#include "cipher/engine_interface.h"
#include "cipher/key_derivation.h"
#include "container/crypt_run.h"
#include "support/little_endian.h"

#include <new>
#include <system_error>
#include <thread>

namespace vlt {
namespace {

CryptRun gRun;
bool gActive = false;

// Ends the engine state of the run; the buffers go separately.
void ReleaseEngines() {
    if (gRun.mixed) {
        MixedCryptDone();
    } else {
        CryptDone();
    }
}

void ReleaseBuffers() {
    for (BlockBuffers& block : gRun.blocks) {
        block.readBuffer.Release();
        block.workBuffer.Release();
    }
}

} // namespace

CryptRun* ActiveCryptRun() {
    return gActive ? &gRun : nullptr;
}

void RunEncipher(std::uint8_t* data, std::uint32_t length, ChainingValue& chain) {
    if (gRun.mixed) {
        MixedEncryptCBC(data, length, chain);
    } else {
        CryptEncryptCBC(data, length, chain);
    }
}

void RunDecipher(std::uint8_t* data, std::uint32_t length, ChainingValue& chain) {
    if (gRun.mixed) {
        MixedDecryptCBC(data, length, chain);
    } else {
        CryptDecryptCBC(data, length, chain);
    }
}

void RunDecipherSplit(std::uint8_t* data, std::uint32_t length, ChainingValue& chain) {
    constexpr std::uint32_t kWorthASecondThread = 64 * 1024;
    if (length < kWorthASecondThread) {
        RunDecipher(data, length, chain);
        return;
    }
    const std::uint32_t half = length / 16 * 8;
    // Cipher text the halves start and end from, taken before it is deciphered.
    ChainingValue secondChain{GetLe32(data + half - 8), GetLe32(data + half - 4)};
    const ChainingValue last{GetLe32(data + length - 8), GetLe32(data + length - 4)};
    try {
        std::thread second([&] { RunDecipher(data + half, length - half, secondChain); });
        RunDecipher(data, half, chain);
        second.join();
    } catch (const std::system_error&) { // no thread was started: nothing is deciphered yet
        RunDecipher(data, half, chain);
        RunDecipher(data + half, length - half, secondChain);
    }
    chain = last;
}

int SetupCryptContext(const KeyRecord& keys, bool vlt7Mode) {
    ReleaseCryptContext();
    const FormatGeneration& generation = GenerationFor(vlt7Mode);
    for (BlockBuffers& block : gRun.blocks) {
        block.readBuffer = SecureBuffer::TryAllocate(generation.readBufferSize);
        block.workBuffer = SecureBuffer::TryAllocate(generation.workBufferSize);
        if (block.readBuffer.Empty() || block.workBuffer.Empty()) {
            ReleaseBuffers();
            return kSetupOutOfMemory;
        }
    }
    gRun.vlt7Mode = vlt7Mode;
    gRun.mixed = keys.secondAlgorithm != 0;
    gRun.first = keys.firstAlgorithm;
    gRun.second = keys.secondAlgorithm;

    const KeyMaterial first{keys.firstPassphrase, keys.firstLength};
    const KeyMaterial second{keys.secondPassphrase, keys.secondLength};
    const bool derive = !vlt7Mode;
    bool repeated = false;
    bool strongKey = true;
    try {
        if (gRun.mixed) {
            if (vlt7Mode) {
                repeated = IsRepeatedPassphrase(first.bytes, first.length) ||
                           IsRepeatedPassphrase(second.bytes, second.length);
            }
            if (!MixedCryptInit(gRun.first, gRun.second)) {
                MixedCryptDone();
                gRun = CryptRun{};
                return kSetupInvalidAlgorithm;
            }
            strongKey = MixedCryptSetKeys(first, second, derive);
        } else {
            if (vlt7Mode) {
                repeated = IsRepeatedPassphrase(first.bytes, first.length);
            }
            if (!CryptInit(gRun.first)) {
                CryptDone();
                gRun = CryptRun{};
                return kSetupInvalidAlgorithm;
            }
            strongKey = CryptSetKey(first, derive);
        }
    } catch (const std::bad_alloc&) {
        ReleaseEngines();
        gRun = CryptRun{};
        return kSetupOutOfMemory;
    }
    gActive = true;
    if (vlt7Mode && !strongKey) {
        return kSetupWeakKey;
    }
    return repeated ? kSetupRepeatedPassphrase : kSetupOk;
}

void ReleaseCryptContext() {
    if (!gActive) {
        return;
    }
    ReleaseBuffers();
    ReleaseEngines();
    gRun = CryptRun{};
    gActive = false;
}

} // namespace vlt
