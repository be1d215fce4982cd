#pragma once
// Shared loops for engines whose block function can work on several independent
// blocks side by side ("lanes"). A Core provides
//   template <std::size_t N> void EncryptLanes(std::uint32_t* w0, std::uint32_t* w1) const;
//   template <std::size_t N> void DecryptLanes(std::uint32_t* w0, std::uint32_t* w1) const;
// transforming the blocks (w0[k], w1[k]), k < N, in place. Block runs and CBC
// decryption have no dependency between blocks, so they run Lanes blocks at once
// and leave the CPU free to overlap the table lookups; CBC encryption is a chain
// and goes one block at a time. Results equal the one-block loops of BlockEngine.
// A Core holds its key state in plain words, which are wiped with the engine.
#include "cipher/block_engine.h"
#include "support/secure_memory.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace vlt {

template <class Core, std::size_t Lanes> class LaneEngine : public BlockEngine {
    static_assert(std::is_trivially_destructible_v<Core>, "key state is wiped as plain bytes");

public:
    LaneEngine() = default;
    LaneEngine(const LaneEngine&) = delete;
    LaneEngine& operator=(const LaneEngine&) = delete;
    ~LaneEngine() override { SecureZero(&core_, sizeof core_); }

    void EncryptBlock(std::uint32_t& w0, std::uint32_t& w1) const override { OneBlock<true>(w0, w1); }
    void DecryptBlock(std::uint32_t& w0, std::uint32_t& w1) const override { OneBlock<false>(w0, w1); }

    void EncryptBlocks(std::uint32_t* words, std::size_t blocks) const override { RunBlocks<true>(words, blocks); }
    void DecryptBlocks(std::uint32_t* words, std::size_t blocks) const override { RunBlocks<false>(words, blocks); }

    void EncryptCBC(std::uint32_t* words, std::size_t blocks, std::uint32_t& c0, std::uint32_t& c1) const override {
        std::uint32_t a[1] = {c0};
        std::uint32_t b[1] = {c1};
        for (std::size_t i = 0; i < blocks; ++i) {
            a[0] ^= words[2 * i];
            b[0] ^= words[2 * i + 1];
            core_.template EncryptLanes<1>(a, b);
            words[2 * i] = a[0];
            words[2 * i + 1] = b[0];
        }
        c0 = a[0];
        c1 = b[0];
    }

    void DecryptCBC(std::uint32_t* words, std::size_t blocks, std::uint32_t& c0, std::uint32_t& c1) const override {
        std::size_t i = 0;
        for (; i + Lanes <= blocks; i += Lanes) {
            DecryptChained<Lanes>(words + 2 * i, c0, c1);
        }
        for (; i < blocks; ++i) {
            DecryptChained<1>(words + 2 * i, c0, c1);
        }
    }

protected:
    Core core_;

private:
    template <bool Encrypt, std::size_t N> void Transform(std::uint32_t* a, std::uint32_t* b) const {
        if constexpr (Encrypt) {
            core_.template EncryptLanes<N>(a, b);
        } else {
            core_.template DecryptLanes<N>(a, b);
        }
    }

    template <bool Encrypt> void OneBlock(std::uint32_t& w0, std::uint32_t& w1) const {
        std::uint32_t a[1] = {w0};
        std::uint32_t b[1] = {w1};
        Transform<Encrypt, 1>(a, b);
        w0 = a[0];
        w1 = b[0];
    }

    template <bool Encrypt, std::size_t N> void RunGroup(std::uint32_t* words) const {
        std::uint32_t a[N];
        std::uint32_t b[N];
        for (std::size_t k = 0; k < N; ++k) {
            a[k] = words[2 * k];
            b[k] = words[2 * k + 1];
        }
        Transform<Encrypt, N>(a, b);
        for (std::size_t k = 0; k < N; ++k) {
            words[2 * k] = a[k];
            words[2 * k + 1] = b[k];
        }
    }

    template <bool Encrypt> void RunBlocks(std::uint32_t* words, std::size_t blocks) const {
        std::size_t i = 0;
        for (; i + Lanes <= blocks; i += Lanes) {
            RunGroup<Encrypt, Lanes>(words + 2 * i);
        }
        for (; i < blocks; ++i) {
            RunGroup<Encrypt, 1>(words + 2 * i);
        }
    }

    // Decrypts N consecutive ciphertext blocks and XORs each with its predecessor
    // (the first with c0/c1); c0/c1 leave as the last ciphertext block.
    template <std::size_t N> void DecryptChained(std::uint32_t* words, std::uint32_t& c0, std::uint32_t& c1) const {
        std::uint32_t a[N];
        std::uint32_t b[N];
        for (std::size_t k = 0; k < N; ++k) {
            a[k] = words[2 * k];
            b[k] = words[2 * k + 1];
        }
        core_.template DecryptLanes<N>(a, b);
        for (std::size_t k = 0; k < N; ++k) {
            const std::uint32_t next0 = words[2 * k];
            const std::uint32_t next1 = words[2 * k + 1];
            words[2 * k] = a[k] ^ c0;
            words[2 * k + 1] = b[k] ^ c1;
            c0 = next0;
            c1 = next1;
        }
    }
};

} // namespace vlt
