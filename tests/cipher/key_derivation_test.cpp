#include "cipher/key_derivation.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vlt {
namespace {

std::string Hex(const std::uint8_t* bytes, std::size_t n) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < n; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

std::vector<std::uint8_t> Pattern(std::size_t n) {
    std::vector<std::uint8_t> bytes(n);
    for (std::size_t i = 0; i < n; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    return bytes;
}

std::string KeyHashHex(const std::vector<std::uint8_t>& message) {
    const KeyDigest digest = KeyHash(message.data(), static_cast<std::int32_t>(message.size()));
    return Hex(digest.data(), digest.size());
}

// Expected digests of the pattern messages come from a separate script of the
// same hash (SHA-1 compression, byte-count length field, words written low byte first).
TEST(KeyHash, KnownDigestsAcrossTheBlockBoundaries) {
    EXPECT_EQ(KeyHashHex({'a', 'b', 'c'}), "4028fc07bdc45ecef142d4fd097257088beba565");
    // The SHA-1 of the empty message (da39a3ee 5e6b4b0d ...) with every word reversed.
    EXPECT_EQ(KeyHashHex({}), "eea339da0d4b6b5eefbf5532901860950907d8af");
    const struct {
        std::size_t length;
        const char* digest;
    } cases[] = {
        {55, "32441a3caccf52adf32266b1637d3a1b15a1c06d"}, // 0x80 and the length fit
        {56, "f75172c29c9d7a136938a1de7ff0c246c53f73fe"}, // 0x80 at byte 56: a second block
        {63, "d11de505bc5099da739fa90a5b758961484331a2"},
        {64, "19f3c83421abdf5af32be0cdfebd34c47a403bb2"}, // whole block, final block starts with 0x80
        {119, "b230c082b9facbc963b87ea33a9919ed99048817"},
        {120, "8ea64bc6bf13275f6aa9735ddd8eb81b642e0503"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(KeyHashHex(Pattern(c.length)), c.digest) << c.length;
    }
}

TEST(KeyHash, NegativeLengthHashesTheEmptyMessage) {
    const std::uint8_t byte = 'x';
    const KeyDigest negative = KeyHash(&byte, -5);
    EXPECT_EQ(Hex(negative.data(), negative.size()), KeyHashHex({}));
}

// The rows of the derivation: D1 = KeyHash(p), D2 = KeyHash(p D1), D3 = KeyHash(p D1 D2);
// the key is their concatenation cut to N, the unused digest tail XORed into its start.
TEST(DeriveKey, ChainsDigestsAndFoldsTheRest) {
    const std::vector<std::uint8_t> passphrase = {'c', 'o', 'r', 'r', 'e', 'c', 't', ' ', 'h', 'o', 'r', 's', 'e'};
    std::vector<std::uint8_t> chain = passphrase;
    std::vector<KeyDigest> d;
    for (int i = 0; i < 3; ++i) {
        d.push_back(KeyHash(chain.data(), static_cast<std::int32_t>(chain.size())));
        chain.insert(chain.end(), d.back().begin(), d.back().end());
    }
    const std::vector<std::uint8_t> stream(chain.begin() + static_cast<std::ptrdiff_t>(passphrase.size()), chain.end());

    const struct {
        std::uint16_t length;
        std::uint64_t hashes;
        int lastDigest; // index into d
    } cases[] = {{56, 3, 2}, {32, 2, 1}, {21, 2, 1}, {16, 1, 0}, {3, 1, 0}, {40, 3, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        std::vector<std::uint8_t> expected(stream.begin(), stream.begin() + c.length);
        const std::size_t used = c.length % 20;
        if (used > 0) {
            std::size_t j = 0;
            for (std::size_t m = used; m < 20; ++m) {
                expected[j] ^= d[c.lastDigest][m];
                j = (j + 1) % c.length;
            }
        }
        std::vector<std::uint8_t> key(c.length);
        const std::uint64_t before = KeyHashCount();
        DeriveKey(passphrase.data(), static_cast<std::uint16_t>(passphrase.size()), key.data(), c.length);
        EXPECT_EQ(KeyHashCount() - before, c.hashes);
        EXPECT_EQ(key, expected);
    }

    // Pinned by the separate script: the key of every stored file depends on it.
    std::vector<std::uint8_t> key56(56);
    DeriveKey(passphrase.data(), static_cast<std::uint16_t>(passphrase.size()), key56.data(), 56);
    EXPECT_EQ(Hex(key56.data(), key56.size()),
              "24ca2e25ea90fe424e3857d06262cb6c7bf499126356575a5930275d4a12fde3e5b8f9e3"
              "a0b9ddc86ed8eadb74f510752b16319c0f6b89f7");
}

TEST(DeriveKey, EmptyPassphraseOrKeyLeavesTheOutputAlone) {
    std::vector<std::uint8_t> key(16, 0xAB);
    const std::uint8_t passphrase[] = {'x'};
    const std::uint64_t before = KeyHashCount();
    DeriveKey(passphrase, 0, key.data(), 16);
    DeriveKey(passphrase, 1, key.data(), 0);
    EXPECT_EQ(key, std::vector<std::uint8_t>(16, 0xAB));
    EXPECT_EQ(KeyHashCount(), before);
}

TEST(IsRepeatedPassphrase, FindsAnyDividingPeriod) {
    const struct {
        const char* text;
        bool repeated;
    } cases[] = {
        {"", true},      {"a", true},     {"aaa", true},  {"abab", true},       {"abcabcabc", true}, {"abc", false},
        {"abca", false}, {"abAb", false}, {"aab", false}, {"abcabcabd", false}, {"xyxyxy", true},    {"abcdab", false},
    };
    for (const auto& c : cases) {
        const std::string text = c.text;
        EXPECT_EQ(IsRepeatedPassphrase(reinterpret_cast<const std::uint8_t*>(text.data()),
                                       static_cast<std::uint16_t>(text.size())),
                  c.repeated)
            << '"' << text << '"';
    }
}

} // namespace
} // namespace vlt
