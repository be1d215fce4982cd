#include "tarnex/libs/kit/sha256.h"

#include <algorithm>
#include <string.h>

namespace tarnex::kit {
namespace {

constexpr std::array<std::uint32_t, 64> kRound = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr std::uint32_t Rotr(std::uint32_t x, int n) {
    return (x >> n) | (x << (32 - n));
}

} // namespace

Sha256::Sha256()
    : state_{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19} {}

Sha256::~Sha256() {
    explicit_bzero(state_.data(), sizeof state_);
    explicit_bzero(block_.data(), block_.size());
}

void Sha256::Compress(const std::uint8_t* block) {
    std::array<std::uint32_t, 64> w;
    for (int i = 0; i < 16; ++i) {
        w[i] = std::uint32_t(block[4 * i]) << 24 | std::uint32_t(block[4 * i + 1]) << 16 |
               std::uint32_t(block[4 * i + 2]) << 8 | block[4 * i + 3];
    }
    for (int i = 16; i < 64; ++i) {
        const std::uint32_t s0 = Rotr(w[i - 15], 7) ^ Rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
        const std::uint32_t s1 = Rotr(w[i - 2], 17) ^ Rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    auto [a, b, c, d, e, f, g, h] = state_;
    for (int i = 0; i < 64; ++i) {
        const std::uint32_t t1 = h + (Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25)) + ((e & f) ^ (~e & g)) + kRound[i] + w[i];
        const std::uint32_t t2 = (Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    state_[0] += a;
    state_[1] += b;
    state_[2] += c;
    state_[3] += d;
    state_[4] += e;
    state_[5] += f;
    state_[6] += g;
    state_[7] += h;
    explicit_bzero(w.data(), sizeof w);
}

void Sha256::Update(std::span<const std::uint8_t> data) {
    total_ += data.size();
    while (!data.empty()) {
        const std::size_t take = std::min(data.size(), block_.size() - used_);
        std::copy_n(data.begin(), take, block_.begin() + used_);
        used_ += take;
        data = data.subspan(take);
        if (used_ == block_.size()) {
            Compress(block_.data());
            used_ = 0;
        }
    }
}

Digest Sha256::Final() {
    const std::uint64_t bits = total_ * 8;
    block_[used_++] = 0x80;
    if (used_ > 56) {
        std::fill(block_.begin() + std::ptrdiff_t(used_), block_.end(), 0);
        Compress(block_.data());
        used_ = 0;
    }
    std::fill(block_.begin() + std::ptrdiff_t(used_), block_.begin() + 56, 0);
    for (int i = 0; i < 8; ++i) {
        block_[56 + i] = std::uint8_t(bits >> (56 - 8 * i));
    }
    Compress(block_.data());
    Digest digest;
    for (int i = 0; i < 8; ++i) {
        for (int j = 0; j < 4; ++j) {
            digest[4 * i + j] = std::uint8_t(state_[i] >> (24 - 8 * j));
        }
    }
    return digest;
}

HmacSha256::HmacSha256(std::span<const std::uint8_t> key) {
    std::array<std::uint8_t, 64> block{};
    if (key.size() > block.size()) {
        Sha256 hash;
        hash.Update(key);
        const Digest digest = hash.Final();
        std::copy(digest.begin(), digest.end(), block.begin());
    } else {
        std::copy(key.begin(), key.end(), block.begin());
    }
    std::array<std::uint8_t, 64> innerPad;
    for (std::size_t i = 0; i < block.size(); ++i) {
        innerPad[i] = block[i] ^ 0x36;
        outerPad_[i] = block[i] ^ 0x5c;
    }
    inner_.Update(innerPad);
    explicit_bzero(block.data(), block.size());
    explicit_bzero(innerPad.data(), innerPad.size());
}

HmacSha256::~HmacSha256() {
    explicit_bzero(outerPad_.data(), outerPad_.size());
}

Digest HmacSha256::Final() {
    Digest innerDigest = inner_.Final();
    Sha256 outer;
    outer.Update(outerPad_);
    outer.Update(innerDigest);
    explicit_bzero(innerDigest.data(), innerDigest.size());
    return outer.Final();
}

Digest HmacOf(std::span<const std::uint8_t> key, std::span<const std::uint8_t> data) {
    HmacSha256 mac(key);
    mac.Update(data);
    return mac.Final();
}

void Pbkdf2Sha256(std::span<const std::uint8_t> password, std::span<const std::uint8_t> salt, std::uint32_t iterations,
                  std::span<std::uint8_t> out) {
    // The keyed state is set up once and copied: every iteration then costs two compressions, not four.
    const HmacSha256 keyed(password);
    for (std::uint32_t blockIndex = 1; !out.empty(); ++blockIndex) {
        const std::array<std::uint8_t, 4> counter = {std::uint8_t(blockIndex >> 24), std::uint8_t(blockIndex >> 16),
                                                     std::uint8_t(blockIndex >> 8), std::uint8_t(blockIndex)};
        HmacSha256 first = keyed;
        first.Update(salt);
        first.Update(counter);
        Digest u = first.Final();
        Digest t = u;
        for (std::uint32_t i = 1; i < iterations; ++i) {
            HmacSha256 next = keyed;
            next.Update(u);
            u = next.Final();
            for (std::size_t j = 0; j < t.size(); ++j) {
                t[j] ^= u[j];
            }
        }
        const std::size_t take = std::min(out.size(), t.size());
        std::copy_n(t.begin(), take, out.begin());
        out = out.subspan(take);
        explicit_bzero(u.data(), u.size());
        explicit_bzero(t.data(), t.size());
    }
}

bool EqualInConstantTime(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
    if (a.size() != b.size()) {
        return false;
    }
    std::uint8_t difference = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        difference |= a[i] ^ b[i];
    }
    return difference == 0;
}

} // namespace tarnex::kit
