#include "cipher/engine_interface.h"

#include <cstring>
#include <memory>

#include "cipher/key_derivation.h"
#include "support/secure_memory.h"

namespace vlt {

namespace {

// The process-wide selection: the recorded ids and the live engines.
struct CryptState {
    AlgorithmId single = 0;
    AlgorithmId first = 0;
    AlgorithmId second = 0;
    std::unique_ptr<BlockEngine> singleEngine;
    std::unique_ptr<BlockEngine> firstEngine;
    std::unique_ptr<BlockEngine> secondEngine;
};

CryptState& State() {
    static CryptState state;
    return state;
}

// The key the engine is given: the derived key or a copy of the passphrase.
SecureBuffer KeyBuffer(AlgorithmId id, KeyMaterial key, bool deriveKey) {
    if (deriveKey) {
        SecureBuffer derived(DerivedKeyLength(id));
        DeriveKey(key.bytes, key.length, derived.Data(), static_cast<std::uint16_t>(derived.Size()));
        return derived;
    }
    SecureBuffer raw(key.length);
    std::memcpy(raw.Data(), key.bytes, key.length);
    return raw;
}

// Keys the engine; true unless its weak-key test fires.
bool KeyEngine(BlockEngine& engine, const SecureBuffer& key) {
    engine.SetKey(key.Data(), static_cast<std::uint16_t>(key.Size()));
    return !(engine.HasWeakKeyTest() && engine.IsWeakKey());
}

// Blocks converted per step of the mixed operations (4 KiB on the stack).
constexpr std::size_t kChunkBlocks = 512;

} // namespace

bool CryptInit(AlgorithmId id) {
    CryptState& state = State();
    state.single = id;
    state.singleEngine = MakeAlgorithmEngine(id);
    return state.singleEngine != nullptr;
}

bool CryptSetKey(KeyMaterial key, bool deriveKey) {
    CryptState& state = State();
    if (!state.singleEngine || key.length == 0) {
        return true;
    }
    const SecureBuffer buffer = KeyBuffer(state.single, key, deriveKey);
    return KeyEngine(*state.singleEngine, buffer);
}

void CryptEncryptCBC(std::uint8_t* buffer, std::uint32_t length, ChainingValue& chaining) {
    if (const auto& engine = State().singleEngine) {
        engine->EncryptCBCBytes(buffer, length / 8, chaining.c0, chaining.c1);
    }
}

void CryptDecryptCBC(std::uint8_t* buffer, std::uint32_t length, ChainingValue& chaining) {
    if (const auto& engine = State().singleEngine) {
        engine->DecryptCBCBytes(buffer, length / 8, chaining.c0, chaining.c1);
    }
}

void CryptDone() {
    State().singleEngine.reset();
}

bool MixedCryptInit(AlgorithmId first, AlgorithmId second) {
    CryptState& state = State();
    state.first = first;
    state.second = second;
    state.secondEngine.reset();
    state.firstEngine = MakeAlgorithmEngine(first);
    if (!state.firstEngine) {
        return false;
    }
    state.secondEngine = MakeAlgorithmEngine(second);
    if (!state.secondEngine) {
        state.firstEngine.reset();
        return false;
    }
    return true;
}

bool MixedCryptSetKeys(KeyMaterial first, KeyMaterial second, bool deriveKey) {
    CryptState& state = State();
    if (!state.firstEngine || first.length == 0 || second.length == 0) {
        return true;
    }
    const SecureBuffer firstKey = KeyBuffer(state.first, first, deriveKey);
    const SecureBuffer secondKey = KeyBuffer(state.second, second, deriveKey);
    const bool firstSound = KeyEngine(*state.firstEngine, firstKey);
    const bool secondSound = KeyEngine(*state.secondEngine, secondKey);
    return firstSound && secondSound;
}

void MixedEncryptCBC(std::uint8_t* buffer, std::uint32_t length, ChainingValue& chaining) {
    CryptState& state = State();
    if (!state.firstEngine) {
        return;
    }
    std::uint32_t w0 = chaining.c0;
    std::uint32_t w1 = chaining.c1;
    for (std::uint32_t offset = 0; length - offset >= 8; offset += 8) {
        std::uint8_t* block = buffer + offset;
        w0 ^= LoadWordLE(block);
        w1 ^= LoadWordLE(block + 4);
        state.firstEngine->EncryptBlock(w0, w1);
        state.secondEngine->EncryptBlock(w0, w1);
        StoreWordLE(block, w0);
        StoreWordLE(block + 4, w1);
    }
    chaining.c0 = w0;
    chaining.c1 = w1;
}

// No block waits for another here, so whole chunks go through the second engine
// and then the first before the chain is applied.
void MixedDecryptCBC(std::uint8_t* buffer, std::uint32_t length, ChainingValue& chaining) {
    CryptState& state = State();
    if (!state.firstEngine) {
        return;
    }
    std::uint32_t words[2 * kChunkBlocks];
    for (std::size_t blocks = length / 8; blocks > 0;) {
        const std::size_t run = blocks < kChunkBlocks ? blocks : kChunkBlocks;
        for (std::size_t i = 0; i < 2 * run; ++i) {
            words[i] = LoadWordLE(buffer + 4 * i);
        }
        state.secondEngine->DecryptBlocks(words, run);
        state.firstEngine->DecryptBlocks(words, run);
        for (std::size_t i = 0; i < run; ++i) {
            const std::uint32_t k0 = LoadWordLE(buffer + 8 * i);
            const std::uint32_t k1 = LoadWordLE(buffer + 8 * i + 4);
            StoreWordLE(buffer + 8 * i, words[2 * i] ^ chaining.c0);
            StoreWordLE(buffer + 8 * i + 4, words[2 * i + 1] ^ chaining.c1);
            chaining.c0 = k0;
            chaining.c1 = k1;
        }
        buffer += 8 * run;
        blocks -= run;
    }
    SecureZero(words, sizeof words);
}

void MixedCryptDone() {
    CryptState& state = State();
    state.firstEngine.reset();
    state.secondEngine.reset();
}

} // namespace vlt
