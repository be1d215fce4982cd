#include "tarnex/libs/kit/chacha20.h"

#include <string.h>

namespace tarnex::kit {
namespace {

constexpr std::uint32_t Rotl(std::uint32_t x, int n) {
    return (x << n) | (x >> (32 - n));
}

std::uint32_t LoadLittleEndian(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

void QuarterRound(std::array<std::uint32_t, 16>& x, int a, int b, int c, int d) {
    x[a] += x[b];
    x[d] = Rotl(x[d] ^ x[a], 16);
    x[c] += x[d];
    x[b] = Rotl(x[b] ^ x[c], 12);
    x[a] += x[b];
    x[d] = Rotl(x[d] ^ x[a], 8);
    x[c] += x[d];
    x[b] = Rotl(x[b] ^ x[c], 7);
}

} // namespace

ChaCha20::ChaCha20(std::span<const std::uint8_t, 32> key, std::span<const std::uint8_t, 12> nonce,
                   std::uint32_t firstBlock) {
    input_[0] = 0x61707865;
    input_[1] = 0x3320646e;
    input_[2] = 0x79622d32;
    input_[3] = 0x6b206574;
    for (int i = 0; i < 8; ++i) {
        input_[4 + i] = LoadLittleEndian(key.data() + 4 * i);
    }
    input_[12] = firstBlock;
    for (int i = 0; i < 3; ++i) {
        input_[13 + i] = LoadLittleEndian(nonce.data() + 4 * i);
    }
}

ChaCha20::~ChaCha20() {
    explicit_bzero(input_.data(), sizeof input_);
    explicit_bzero(stream_.data(), stream_.size());
}

std::array<std::uint8_t, 64> ChaCha20::Block() const {
    std::array<std::uint32_t, 16> x = input_;
    for (int round = 0; round < 10; ++round) {
        QuarterRound(x, 0, 4, 8, 12);
        QuarterRound(x, 1, 5, 9, 13);
        QuarterRound(x, 2, 6, 10, 14);
        QuarterRound(x, 3, 7, 11, 15);
        QuarterRound(x, 0, 5, 10, 15);
        QuarterRound(x, 1, 6, 11, 12);
        QuarterRound(x, 2, 7, 8, 13);
        QuarterRound(x, 3, 4, 9, 14);
    }
    std::array<std::uint8_t, 64> block;
    for (int i = 0; i < 16; ++i) {
        const std::uint32_t word = x[i] + input_[i];
        for (int j = 0; j < 4; ++j) {
            block[4 * i + j] = std::uint8_t(word >> (8 * j));
        }
    }
    explicit_bzero(x.data(), sizeof x);
    return block;
}

void ChaCha20::Apply(std::span<std::uint8_t> data) {
    for (std::uint8_t& byte : data) {
        if (streamUsed_ == stream_.size()) {
            stream_ = Block();
            // Past 2^32 blocks (256 GiB) the counter carries into the first nonce word instead of
            // wrapping, so the stream never repeats within one file.
            if (++input_[12] == 0) {
                ++input_[13];
            }
            streamUsed_ = 0;
        }
        byte ^= stream_[streamUsed_++];
    }
}

} // namespace tarnex::kit
