#include "cipher/blowfish/pi_words.h"
#include "cipher/engines.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <random>
#include <vector>

namespace vlt {
namespace {

std::vector<std::uint32_t> Snapshot(const BlockEngine& engine) {
    std::vector<std::uint32_t> tables(engine.TableWords());
    engine.SaveTables(tables.data());
    return tables;
}

TEST(CobraEngine, StartsFromThePiTables) {
    auto engine = MakeCobraEngine();
    ASSERT_NE(engine, nullptr);
    const std::vector<std::uint32_t> tables = Snapshot(*engine);
    ASSERT_EQ(tables.size(), 1044u);
    // P[0..15], S0..S3, W0..W3 in snapshot order.
    EXPECT_EQ(tables[0], 0x243F6A88u);
    EXPECT_EQ(tables[15], 0xB5470917u);
    EXPECT_EQ(tables[16], 0x9216D5D9u);
    EXPECT_EQ(tables[17], 0x8979FB1Bu);
    EXPECT_EQ(tables[18], 0xD1310BA6u);
    EXPECT_EQ(tables[1040], 0x578FDFE3u);
    EXPECT_EQ(tables[1041], 0x3AC372E6u);
    EXPECT_EQ(tables[1042], 0xB83ACB02u);
    EXPECT_EQ(tables[1043], 0x2002397Au);

    std::uint32_t w0 = 0, w1 = 0;
    engine->EncryptBlock(w0, w1);
    EXPECT_EQ(w0, 0xE4512321u);
    EXPECT_EQ(w1, 0x33CBD89Au);
    engine->DecryptBlock(w0, w1);
    EXPECT_EQ(w0, 0u);
    EXPECT_EQ(w1, 0u);
}

// Cobra written out step by step with separate tables and explicit half
// exchanges, to check the engine's packed state and two-round loop.
struct ReferenceCobra {
    std::uint32_t P[16], S[4][256], W[4];

    ReferenceCobra() {
        std::size_t n = 0;
        for (auto& p : P) {
            p = kPiWords[n++];
        }
        for (auto& box : S) {
            for (auto& s : box) {
                s = kPiWords[n++];
            }
        }
        for (auto& w : W) {
            w = kPiWords[n++];
        }
    }

    std::uint32_t F(std::uint32_t x) const {
        return ((S[0][x >> 24] + S[1][(x >> 16) & 0xFF]) ^ S[2][(x >> 8) & 0xFF]) + S[3][x & 0xFF];
    }

    void Encrypt(std::uint32_t& w0, std::uint32_t& w1) const {
        std::uint32_t L = w0 ^ W[0], R = w1 ^ W[1];
        for (int i = 0; i < 16; ++i) {
            const std::uint32_t newR = std::rotr(L ^ F(R ^ P[i]), 1);
            L = R;
            R = newR;
        }
        w0 = L ^ W[2];
        w1 = R ^ W[3];
    }

    void SetKey(const std::vector<std::uint8_t>& key) {
        std::uint32_t K[8];
        for (int m = 0; m < 8; ++m) {
            K[m] = 0;
            for (int i = 0; i < 4; ++i) {
                K[m] = K[m] << 8 | key[(4 * m + i) % key.size()];
            }
        }
        for (int i = 0; i < 16; ++i) {
            P[i] ^= K[i % 8];
        }
        std::uint32_t l = 0, r = 0;
        Encrypt(l, r);
        P[0] = l;
        P[1] = r;
        for (auto& k : K) {
            k = std::rotr(k, 1);
        }
        for (int i = 0; i < 16; ++i) {
            P[i] ^= K[i % 8];
        }
        l = r = 0;
        auto fill = [&](std::uint32_t* words, int count) {
            for (int i = 0; i < count; i += 2) {
                Encrypt(l, r);
                words[i] = l;
                words[i + 1] = r;
            }
        };
        fill(P, 16);
        for (auto& box : S) {
            fill(box, 256);
        }
        fill(W, 2);
        fill(W + 2, 2);
    }
};

TEST(CobraEngine, KeySetupMatchesStepByStepReference) {
    std::mt19937 random(8);
    for (std::size_t length : {1u, 5u, 16u, 32u, 40u}) {
        std::vector<std::uint8_t> key(length);
        for (auto& byte : key) {
            byte = static_cast<std::uint8_t>(random());
        }
        ReferenceCobra reference;
        reference.SetKey(key);
        auto engine = MakeCobraEngine();
        engine->SetKey(key.data(), static_cast<std::uint16_t>(length));
        const std::vector<std::uint32_t> tables = Snapshot(*engine);
        EXPECT_EQ(std::vector<std::uint32_t>(tables.begin(), tables.begin() + 16),
                  std::vector<std::uint32_t>(reference.P, reference.P + 16))
            << length;
        EXPECT_EQ(tables[16 + 255], reference.S[0][255]);
        EXPECT_EQ(tables[16 + 3 * 256], reference.S[3][0]);
        EXPECT_EQ(std::vector<std::uint32_t>(tables.end() - 4, tables.end()),
                  std::vector<std::uint32_t>(reference.W, reference.W + 4));

        std::uint32_t e0 = random(), e1 = random();
        std::uint32_t r0 = e0, r1 = e1;
        engine->EncryptBlock(e0, e1);
        reference.Encrypt(r0, r1);
        EXPECT_EQ(e0, r0);
        EXPECT_EQ(e1, r1);
    }
}

// A 16-byte key acts as itself written twice; bytes after the 32nd are ignored.
TEST(CobraEngine, KeyIsCycledToThirtyTwoBytes) {
    std::vector<std::uint8_t> key16(16);
    for (int i = 0; i < 16; ++i) {
        key16[i] = static_cast<std::uint8_t>(0x3C ^ (i * 11));
    }
    std::vector<std::uint8_t> key32 = key16;
    key32.insert(key32.end(), key16.begin(), key16.end());
    std::vector<std::uint8_t> key33 = key32;
    key33.push_back(0xEE);
    auto tablesOf = [](const std::vector<std::uint8_t>& key) {
        auto engine = MakeCobraEngine();
        engine->SetKey(key.data(), static_cast<std::uint16_t>(key.size()));
        return Snapshot(*engine);
    };
    EXPECT_EQ(tablesOf(key16), tablesOf(key32));
    EXPECT_EQ(tablesOf(key33), tablesOf(key32));
    key33[31] ^= 0x80;
    EXPECT_NE(tablesOf(key33), tablesOf(key32));
}

// Restoring the unkeyed snapshot removes the key: the unkeyed answer comes back,
// and keying again gives the schedule of a fresh engine.
TEST(CobraEngine, RestoreTablesRemovesTheKey) {
    const std::uint8_t key[] = "snapshot and restore";
    auto engine = MakeCobraEngine();
    const std::vector<std::uint32_t> unkeyed = Snapshot(*engine);
    engine->SetKey(key, sizeof key);
    const std::vector<std::uint32_t> keyed = Snapshot(*engine);
    EXPECT_NE(keyed, unkeyed);

    engine->RestoreTables(unkeyed.data());
    EXPECT_EQ(Snapshot(*engine), unkeyed);
    std::uint32_t w0 = 0, w1 = 0;
    engine->EncryptBlock(w0, w1);
    EXPECT_EQ(w0, 0xE4512321u);
    EXPECT_EQ(w1, 0x33CBD89Au);

    engine->SetKey(key, sizeof key);
    EXPECT_EQ(Snapshot(*engine), keyed);
}

} // namespace
} // namespace vlt
