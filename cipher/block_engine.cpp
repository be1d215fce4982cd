#include "cipher/block_engine.h"

namespace vlt {

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

} // namespace vlt
