#include "cipher/key_derivation.h"

#include <atomic>
#include <bit>
#include <cstring>

#include "cipher/block_engine.h"
#include "support/secure_memory.h"

namespace vlt {

namespace {

std::atomic<std::uint64_t> keyHashCalls{0};

std::uint32_t LoadWordBE(const std::uint8_t* bytes) {
    return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 | std::uint32_t{bytes[2]} << 8 | bytes[3];
}

// The SHA-1 compression function: W is the caller's, so that it can be zeroed.
void Compress(std::uint32_t h[5], const std::uint8_t block[64], std::uint32_t w[80]) {
    for (int t = 0; t < 16; ++t) {
        w[t] = LoadWordBE(block + 4 * t);
    }
    std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
    // One loop per group of 20 steps keeps the step function out of the loop body.
    const auto steps = [&](int from, std::uint32_t k, auto f) {
#pragma GCC unroll 20
        for (int t = from; t < from + 20; ++t) {
            // The schedule word is made where it is used: filled ahead in a loop of
            // its own, it gets vectorised into overlapping loads and stores.
            if (t >= 16) {
                w[t] = std::rotl(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);
            }
            const std::uint32_t temp = std::rotl(a, 5) + f(b, c, d) + e + k + w[t];
            e = d;
            d = c;
            c = std::rotl(b, 30);
            b = a;
            a = temp;
        }
    };
    steps(0, 0x5A827999, [](std::uint32_t x, std::uint32_t y, std::uint32_t z) { return (x & y) | (~x & z); });
    steps(20, 0x6ED9EBA1, [](std::uint32_t x, std::uint32_t y, std::uint32_t z) { return x ^ y ^ z; });
    steps(40, 0x8F1BBCDC,
          [](std::uint32_t x, std::uint32_t y, std::uint32_t z) { return (x & y) | (x & z) | (y & z); });
    steps(60, 0xCA62C1D6, [](std::uint32_t x, std::uint32_t y, std::uint32_t z) { return x ^ y ^ z; });
    h[0] += a;
    h[1] += b;
    h[2] += c;
    h[3] += d;
    h[4] += e;
}

} // namespace

KeyDigest KeyHash(const std::uint8_t* message, std::int32_t length) {
    keyHashCalls.fetch_add(1, std::memory_order_relaxed);
    const std::uint32_t total = length > 0 ? static_cast<std::uint32_t>(length) : 0;
    std::uint32_t h[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
    std::uint32_t w[80];
    std::uint8_t last[64];

    std::uint32_t done = 0;
    for (; total - done >= 64; done += 64) {
        Compress(h, message + done, w);
    }
    const std::uint32_t rest = total - done;
    std::memset(last, 0, sizeof last);
    if (rest > 0) {
        std::memcpy(last, message + done, rest);
    }
    last[rest] = 0x80;
    if (rest + 1 > 56) {
        Compress(h, last, w);
        std::memset(last, 0, sizeof last);
    }
    // The length in bytes, big-endian, in bytes 58..61 of the 64-bit field.
    last[58] = static_cast<std::uint8_t>(total >> 24);
    last[59] = static_cast<std::uint8_t>(total >> 16);
    last[60] = static_cast<std::uint8_t>(total >> 8);
    last[61] = static_cast<std::uint8_t>(total);
    Compress(h, last, w);

    KeyDigest digest;
    for (int i = 0; i < 5; ++i) {
        StoreWordLE(digest.data() + 4 * i, h[i]);
    }
    SecureZero(w, sizeof w);
    SecureZero(last, sizeof last);
    SecureZero(h, sizeof h);
    return digest;
}

void DeriveKey(const std::uint8_t* passphrase, std::uint16_t passphraseLength, std::uint8_t* key,
               std::uint16_t keyLength) {
    if (passphraseLength == 0 || keyLength == 0) {
        return;
    }
    // The passphrase followed by every digest so far.
    SecureBuffer work(std::size_t{passphraseLength} + keyLength);
    std::memcpy(work.Data(), passphrase, passphraseLength);
    std::size_t hashed = passphraseLength;
    std::size_t produced = 0;
    for (;;) {
        KeyDigest digest = KeyHash(work.Data(), static_cast<std::int32_t>(hashed));
        const std::size_t wanted = keyLength - produced;
        if (wanted >= digest.size()) {
            std::memcpy(key + produced, digest.data(), digest.size());
            std::memcpy(work.Data() + hashed, digest.data(), digest.size());
            hashed += digest.size();
            produced += digest.size();
            SecureZero(digest.data(), digest.size());
            continue;
        }
        std::memcpy(key + produced, digest.data(), wanted);
        if (wanted > 0) {
            std::size_t j = 0;
            for (std::size_t m = wanted; m < digest.size(); ++m) {
                key[j] ^= digest[m];
                j = j + 1 == keyLength ? 0 : j + 1;
            }
        }
        SecureZero(digest.data(), digest.size());
        return;
    }
}

bool IsRepeatedPassphrase(const std::uint8_t* text, std::uint16_t length) {
    if (length < 2) {
        return true;
    }
    for (std::size_t period = 1; period <= length / 2u; ++period) {
        if (length % period != 0) {
            continue;
        }
        std::size_t k = period;
        while (k < length && text[k] == text[k - period]) {
            ++k;
        }
        if (k == length) {
            return true;
        }
    }
    return false;
}

std::uint64_t KeyHashCount() {
    return keyHashCalls.load(std::memory_order_relaxed);
}

} // namespace vlt
