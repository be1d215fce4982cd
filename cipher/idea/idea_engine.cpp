// IDEA structure and key schedule with the engine's own multiplication step and
// little-endian 16-bit words: x1 = bytes 0-1, x2 = bytes 2-3 (word 0), x3, x4 (word 1).
#include "cipher/engines.h"
#include "cipher/idea/idea_rounds.h"
#include "cipher/lane_engine.h"
#include "support/secure_memory.h"

#include <cstddef>
#include <cstdint>

namespace vlt {

namespace {

constexpr std::size_t kKeyBytes = 16;

class IdeaCore {
public:
    // Reads 16 key bytes. The interface always hands over a 16-byte derived key;
    // a shorter key is cycled rather than read past its end.
    void SetKey(const std::uint8_t* key, std::uint16_t length) {
        if (length == 0) {
            return;
        }
        std::uint8_t bytes[kKeyBytes];
        for (std::size_t i = 0; i < kKeyBytes; ++i) {
            bytes[i] = key[i % length];
        }
        idea::ExpandKey(bytes, encryptKeys_);
        idea::InvertKey(encryptKeys_, decryptKeys_);
        SecureZero(bytes, sizeof bytes);
    }

    template <std::size_t N> void EncryptLanes(std::uint32_t* w0, std::uint32_t* w1) const {
        Run<N>(encryptKeys_, w0, w1);
    }
    template <std::size_t N> void DecryptLanes(std::uint32_t* w0, std::uint32_t* w1) const {
        Run<N>(decryptKeys_, w0, w1);
    }

private:
    template <std::size_t N> static void Run(const std::uint16_t* keys, std::uint32_t* w0, std::uint32_t* w1) {
        std::uint16_t x1[N], x2[N], x3[N], x4[N];
        for (std::size_t k = 0; k < N; ++k) {
            x1[k] = static_cast<std::uint16_t>(w0[k]);
            x2[k] = static_cast<std::uint16_t>(w0[k] >> 16);
            x3[k] = static_cast<std::uint16_t>(w1[k]);
            x4[k] = static_cast<std::uint16_t>(w1[k] >> 16);
        }
        idea::Transform<idea::ComplementStep, N>(keys, x1, x2, x3, x4);
        for (std::size_t k = 0; k < N; ++k) {
            w0[k] = std::uint32_t{x2[k]} << 16 | x1[k];
            w1[k] = std::uint32_t{x4[k]} << 16 | x3[k];
        }
    }

    std::uint16_t encryptKeys_[idea::kSubkeys] = {};
    std::uint16_t decryptKeys_[idea::kSubkeys] = {};
};

class IdeaEngine final : public LaneEngine<IdeaCore, 4> {
public:
    void SetKey(const std::uint8_t* key, std::uint16_t length) override { core_.SetKey(key, length); }
};

} // namespace

std::unique_ptr<BlockEngine> MakeIdeaEngine() {
    return std::make_unique<IdeaEngine>();
}

} // namespace vlt
