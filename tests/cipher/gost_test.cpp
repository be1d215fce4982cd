#include "cipher/engines.h"
#include "cipher/gost/gost_tables.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <random>
#include <vector>

namespace vlt {
namespace {

TEST(GostTables, ByteTablesCombineTwoRows) {
    const gost::ByteTables& tables = gost::PrepareTables();
    EXPECT_EQ(tables.T[0][0x00], 0xEF); // row 0: 0 -> 14, row 1: 0 -> 15
    EXPECT_EQ(tables.T[3][0xFF], 0x17); // row 6: 15 -> 1, row 7: 15 -> 7
    EXPECT_EQ(&tables, &gost::PrepareTables()) << "built once";
}

// The cipher written out nibble by nibble, as the algorithm is stated, to check
// the engine's byte tables and rotation.
void ReferenceEncrypt(const std::uint8_t key[32], std::uint32_t& w0, std::uint32_t& w1) {
    std::uint32_t k[8];
    for (int m = 0; m < 8; ++m) {
        k[m] = std::uint32_t{key[4 * m]} << 24 | key[4 * m + 1] << 16 | key[4 * m + 2] << 8 | key[4 * m + 3];
    }
    auto f = [](std::uint32_t x) {
        std::uint32_t y = 0;
        for (int r = 0; r < 8; ++r) {
            const int shift = 28 - 4 * r;
            y |= std::uint32_t{gost::GostSBoxes[r][(x >> shift) & 15]} << shift;
        }
        return std::rotl(y, 11);
    };
    std::uint32_t n1 = w0;
    std::uint32_t n2 = w1;
    for (int s = 0; s < 32; ++s) {
        const std::uint32_t subkey = s < 24 ? k[s % 8] : k[7 - s % 8];
        if (s % 2 == 0) {
            n2 ^= f(n1 + subkey);
        } else {
            n1 ^= f(n2 + subkey);
        }
    }
    w0 = n2;
    w1 = n1;
}

TEST(GostEngine, MatchesNibbleReferenceAndInverts) {
    std::mt19937 random(3);
    auto engine = MakeGostEngine();
    ASSERT_NE(engine, nullptr);
    for (int trial = 0; trial < 50; ++trial) {
        std::uint8_t key[32];
        for (auto& byte : key) {
            byte = static_cast<std::uint8_t>(random());
        }
        engine->SetKey(key, sizeof key);
        const std::uint32_t p0 = random(), p1 = random();
        std::uint32_t e0 = p0, e1 = p1, r0 = p0, r1 = p1;
        engine->EncryptBlock(e0, e1);
        ReferenceEncrypt(key, r0, r1);
        EXPECT_EQ(e0, r0);
        EXPECT_EQ(e1, r1);
        engine->DecryptBlock(e0, e1);
        EXPECT_EQ(e0, p0);
        EXPECT_EQ(e1, p1);
    }
}

// Key bytes are cycled to 32: a short key acts as itself repeated, and bytes
// after the 32nd are ignored.
TEST(GostEngine, KeyIsCycledToThirtyTwoBytes) {
    std::vector<std::uint8_t> key16(16), key32, key40;
    for (int i = 0; i < 16; ++i) {
        key16[i] = static_cast<std::uint8_t>(0x11 * i + 5);
    }
    key32 = key16;
    key32.insert(key32.end(), key16.begin(), key16.end());
    key40 = key32;
    key40.insert(key40.end(), 8, 0xA5);
    const std::uint8_t three[] = {1, 2, 3};
    std::vector<std::uint8_t> threeCycled;
    for (int i = 0; i < 32; ++i) {
        threeCycled.push_back(three[i % 3]);
    }

    auto encrypt = [](const std::uint8_t* key, std::size_t length) {
        auto engine = MakeGostEngine();
        engine->SetKey(key, static_cast<std::uint16_t>(length));
        std::uint32_t w0 = 0x01234567, w1 = 0x89ABCDEF;
        engine->EncryptBlock(w0, w1);
        return std::uint64_t{w0} << 32 | w1;
    };
    EXPECT_EQ(encrypt(key16.data(), 16), encrypt(key32.data(), 32));
    EXPECT_EQ(encrypt(key40.data(), 40), encrypt(key32.data(), 32));
    EXPECT_EQ(encrypt(three, 3), encrypt(threeCycled.data(), 32));
    key40[31] ^= 1;
    EXPECT_NE(encrypt(key40.data(), 40), encrypt(key32.data(), 32));
}

} // namespace
} // namespace vlt
