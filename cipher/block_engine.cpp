#include "cipher/block_engine.h"

#include "support/secure_memory.h"

namespace vlt {

namespace {

// Blocks converted per step of the byte-level defaults (4 KiB on the stack).
constexpr std::size_t kChunkBlocks = 512;

using WordCBC = void (BlockEngine::*)(std::uint32_t*, std::size_t, std::uint32_t&, std::uint32_t&) const;

void CBCThroughWords(const BlockEngine& engine, WordCBC operation, std::uint8_t* bytes, std::size_t blocks,
                     std::uint32_t& c0, std::uint32_t& c1) {
    std::uint32_t words[2 * kChunkBlocks];
    while (blocks > 0) {
        const std::size_t run = blocks < kChunkBlocks ? blocks : kChunkBlocks;
        for (std::size_t i = 0; i < 2 * run; ++i) {
            words[i] = LoadWordLE(bytes + 4 * i);
        }
        (engine.*operation)(words, run, c0, c1);
        for (std::size_t i = 0; i < 2 * run; ++i) {
            StoreWordLE(bytes + 4 * i, words[i]);
        }
        bytes += 8 * run;
        blocks -= run;
    }
    // The chunk held plain text on one side of the call.
    SecureZero(words, sizeof words);
}

} // namespace

void BlockEngine::EncryptBlocks(std::uint32_t* words, std::size_t blocks) const {
    for (std::size_t i = 0; i < blocks; ++i) {
        EncryptBlock(words[2 * i], words[2 * i + 1]);
    }
}

void BlockEngine::DecryptBlocks(std::uint32_t* words, std::size_t blocks) const {
    for (std::size_t i = 0; i < blocks; ++i) {
        DecryptBlock(words[2 * i], words[2 * i + 1]);
    }
}

void BlockEngine::EncryptCBC(std::uint32_t* words, std::size_t blocks, std::uint32_t& c0, std::uint32_t& c1) const {
    for (std::size_t i = 0; i < blocks; ++i) {
        std::uint32_t w0 = words[2 * i] ^ c0;
        std::uint32_t w1 = words[2 * i + 1] ^ c1;
        EncryptBlock(w0, w1);
        words[2 * i] = c0 = w0;
        words[2 * i + 1] = c1 = w1;
    }
}

void BlockEngine::DecryptCBC(std::uint32_t* words, std::size_t blocks, std::uint32_t& c0, std::uint32_t& c1) const {
    for (std::size_t i = 0; i < blocks; ++i) {
        const std::uint32_t k0 = words[2 * i];
        const std::uint32_t k1 = words[2 * i + 1];
        std::uint32_t w0 = k0;
        std::uint32_t w1 = k1;
        DecryptBlock(w0, w1);
        words[2 * i] = w0 ^ c0;
        words[2 * i + 1] = w1 ^ c1;
        c0 = k0;
        c1 = k1;
    }
}

void BlockEngine::EncryptCBCBytes(std::uint8_t* bytes, std::size_t blocks, std::uint32_t& c0, std::uint32_t& c1) const {
    CBCThroughWords(*this, &BlockEngine::EncryptCBC, bytes, blocks, c0, c1);
}

void BlockEngine::DecryptCBCBytes(std::uint8_t* bytes, std::size_t blocks, std::uint32_t& c0, std::uint32_t& c1) const {
    CBCThroughWords(*this, &BlockEngine::DecryptCBC, bytes, blocks, c0, c1);
}

} // namespace vlt
