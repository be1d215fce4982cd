// Cipher spine speed beside peer libraries in one run, on 256 KiB buffers (the
// largest buffer a file run hands to the engine interface): Blowfish and
// Blowfish32 CBC against OpenSSL's BF-CBC (legacy provider) and libgcrypt's
// Blowfish, KeyHash and DeriveKey against OpenSSL's SHA-1, CRC-32 against zlib.
// Before measuring, the results are checked against the peers (Blowfish on
// byte-swapped words, CRC-32 bit for bit). After the table of Google Benchmark
// a summary prints the best MB/s of each side, the ratio ours/theirs and the goals.
#include "cipher/engine_interface.h"
#include "cipher/key_derivation.h"
#include "support/crc.h"

#include "bench_buffer.h"
#include "bench_goals.h"

#include <benchmark/benchmark.h>
#include <gcrypt.h>
#include <openssl/evp.h>
#include <openssl/provider.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using bench::Bytes;
using bench::kBufferSize;
// A raw 16-byte key: the peers take it as it is, and so does CryptSetKey(raw).
const std::uint8_t kKey[16] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF,
                               0xF0, 0xE1, 0xD2, 0xC3, 0xB4, 0xA5, 0x96, 0x87};
const std::uint8_t kIv[8] = {};
const std::string kPassphrase = "correct horse battery staple";

void Fail(const char* what) {
    std::fprintf(stderr, "bench_cipher_spine: %s\n", what);
    std::exit(1);
}

// --- ours ---------------------------------------------------------------------

void KeyOurs(vlt::AlgorithmId id) {
    if (!vlt::CryptInit(id)) {
        Fail("CryptInit failed");
    }
    (void)vlt::CryptSetKey({kKey, sizeof kKey}, false);
}

void OursCBC(benchmark::State& state, vlt::AlgorithmId id, bool encrypt) {
    Bytes buffer = bench::PatternBuffer();
    KeyOurs(id);
    vlt::ChainingValue chaining;
    for (auto _ : state) {
        if (encrypt) {
            vlt::CryptEncryptCBC(buffer.data(), kBufferSize, chaining);
        } else {
            vlt::CryptDecryptCBC(buffer.data(), kBufferSize, chaining);
        }
        benchmark::DoNotOptimize(buffer.data());
    }
    vlt::CryptDone();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBufferSize));
}

void OursKeyHash(benchmark::State& state) {
    const Bytes buffer = bench::PatternBuffer();
    for (auto _ : state) {
        benchmark::DoNotOptimize(vlt::KeyHash(buffer.data(), kBufferSize));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBufferSize));
}

// One 56-byte Blowfish key per iteration; "bytes" are derivations here so that
// the summary can put both sides in one column (1 MB/s = 1e6 derivations/s).
void OursDeriveKey(benchmark::State& state) {
    std::uint8_t key[56];
    for (auto _ : state) {
        vlt::DeriveKey(reinterpret_cast<const std::uint8_t*>(kPassphrase.data()),
                       static_cast<std::uint16_t>(kPassphrase.size()), key, sizeof key);
        benchmark::DoNotOptimize(key);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()));
}

void OursCrc32(benchmark::State& state) {
    const Bytes buffer = bench::PatternBuffer();
    std::uint32_t crc = 0xFFFFFFFF;
    for (auto _ : state) {
        crc = vlt::Crc32Update(buffer.data(), kBufferSize, crc);
        benchmark::DoNotOptimize(crc);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBufferSize));
}

// --- theirs -------------------------------------------------------------------

EVP_CIPHER_CTX* OpenSslBlowfish(bool encrypt) {
    static const EVP_CIPHER* cipher = [] {
        if (!OSSL_PROVIDER_load(nullptr, "legacy") || !OSSL_PROVIDER_load(nullptr, "default")) {
            Fail("OpenSSL legacy provider not available");
        }
        return EVP_CIPHER_fetch(nullptr, "BF-CBC", nullptr);
    }();
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    if (!cipher || !context || !EVP_CipherInit_ex(context, cipher, nullptr, nullptr, nullptr, encrypt ? 1 : 0) ||
        !EVP_CIPHER_CTX_set_key_length(context, sizeof kKey) ||
        !EVP_CipherInit_ex(context, nullptr, nullptr, kKey, kIv, encrypt ? 1 : 0)) {
        Fail("OpenSSL BF-CBC set-up failed");
    }
    EVP_CIPHER_CTX_set_padding(context, 0);
    return context;
}

void OpenSslCBC(EVP_CIPHER_CTX* context, std::uint8_t* buffer, std::size_t size) {
    int written = 0;
    if (!EVP_CipherUpdate(context, buffer, &written, buffer, static_cast<int>(size))) {
        Fail("OpenSSL BF-CBC failed");
    }
}

void TheirsOpenSslCBC(benchmark::State& state, bool encrypt) {
    Bytes buffer = bench::PatternBuffer();
    EVP_CIPHER_CTX* context = OpenSslBlowfish(encrypt);
    for (auto _ : state) {
        OpenSslCBC(context, buffer.data(), kBufferSize);
        benchmark::DoNotOptimize(buffer.data());
    }
    EVP_CIPHER_CTX_free(context);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBufferSize));
}

gcry_cipher_hd_t GcryptBlowfish() {
    static const bool ready = [] {
        if (!gcry_check_version(GCRYPT_VERSION)) {
            Fail("libgcrypt version mismatch");
        }
        gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
        return true;
    }();
    (void)ready;
    gcry_cipher_hd_t handle = nullptr;
    if (gcry_cipher_open(&handle, GCRY_CIPHER_BLOWFISH, GCRY_CIPHER_MODE_CBC, 0) ||
        gcry_cipher_setkey(handle, kKey, sizeof kKey) || gcry_cipher_setiv(handle, kIv, sizeof kIv)) {
        Fail("libgcrypt Blowfish set-up failed");
    }
    return handle;
}

void TheirsGcryptCBC(benchmark::State& state, bool encrypt) {
    Bytes buffer = bench::PatternBuffer();
    gcry_cipher_hd_t handle = GcryptBlowfish();
    for (auto _ : state) {
        const gcry_error_t error = encrypt ? gcry_cipher_encrypt(handle, buffer.data(), kBufferSize, nullptr, 0)
                                           : gcry_cipher_decrypt(handle, buffer.data(), kBufferSize, nullptr, 0);
        if (error) {
            Fail("libgcrypt Blowfish failed");
        }
        benchmark::DoNotOptimize(buffer.data());
    }
    gcry_cipher_close(handle);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBufferSize));
}

void Sha1(const std::uint8_t* data, std::size_t size, std::uint8_t* digest) {
    static EVP_MD* sha1 = EVP_MD_fetch(nullptr, "SHA1", nullptr);
    unsigned length = 0;
    if (!sha1 || !EVP_Digest(data, size, digest, &length, sha1, nullptr)) {
        Fail("OpenSSL SHA1 failed");
    }
}

void TheirsSha1(benchmark::State& state) {
    const Bytes buffer = bench::PatternBuffer();
    std::uint8_t digest[20];
    for (auto _ : state) {
        Sha1(buffer.data(), kBufferSize, digest);
        benchmark::DoNotOptimize(digest);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBufferSize));
}

// The same three hashes over the same growing work buffer, with SHA-1.
void TheirsSha1Derivation(benchmark::State& state) {
    std::uint8_t work[128];
    std::memcpy(work, kPassphrase.data(), kPassphrase.size());
    for (auto _ : state) {
        std::size_t hashed = kPassphrase.size();
        for (int i = 0; i < 3; ++i) {
            Sha1(work, hashed, work + hashed);
            hashed += 20;
        }
        benchmark::DoNotOptimize(work);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()));
}

void TheirsZlibCrc32(benchmark::State& state) {
    const Bytes buffer = bench::PatternBuffer();
    uLong crc = crc32(0, nullptr, 0);
    for (auto _ : state) {
        crc = crc32(crc, buffer.data(), kBufferSize);
        benchmark::DoNotOptimize(crc);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBufferSize));
}

// --- same results before any timing ---------------------------------------------

Bytes SwapWords(Bytes bytes) {
    for (std::size_t i = 0; i + 4 <= bytes.size(); i += 4) {
        std::swap(bytes[i], bytes[i + 3]);
        std::swap(bytes[i + 1], bytes[i + 2]);
    }
    return bytes;
}

// The peers load big-endian words; ours loads little-endian. On words all agree.
void CheckAgainstPeers() {
    const Bytes plain = bench::PatternBuffer();
    Bytes ours = plain;
    KeyOurs(1);
    vlt::ChainingValue chaining;
    vlt::CryptEncryptCBC(ours.data(), kBufferSize, chaining);
    vlt::CryptDone();

    Bytes openssl = SwapWords(plain);
    EVP_CIPHER_CTX* context = OpenSslBlowfish(true);
    OpenSslCBC(context, openssl.data(), kBufferSize);
    EVP_CIPHER_CTX_free(context);

    Bytes gcrypt = SwapWords(plain);
    gcry_cipher_hd_t handle = GcryptBlowfish();
    if (gcry_cipher_encrypt(handle, gcrypt.data(), kBufferSize, nullptr, 0)) {
        Fail("libgcrypt Blowfish failed");
    }
    gcry_cipher_close(handle);

    if (SwapWords(ours) != openssl || openssl != gcrypt) {
        Fail("Blowfish CBC differs from the peers");
    }
    if (~vlt::Crc32Update(plain.data(), kBufferSize, 0xFFFFFFFF) != crc32(0, plain.data(), kBufferSize)) {
        Fail("CRC-32 differs from zlib");
    }
}

// --- summary --------------------------------------------------------------------

constexpr bench::Goal kGoals[] = {
    {"ours/Blowfish/encrypt", "openssl/BF-CBC/encrypt", 1.0},
    {"ours/Blowfish/encrypt", "gcrypt/Blowfish/encrypt", 0.0},
    {"ours/Blowfish/decrypt", "gcrypt/Blowfish/decrypt", 1.0},
    {"ours/Blowfish/decrypt", "openssl/BF-CBC/decrypt", 0.0},
    {"ours/Blowfish32/encrypt", "openssl/BF-CBC/encrypt", 0.0},
    {"ours/Blowfish32/decrypt", "gcrypt/Blowfish/decrypt", 0.0},
    {"ours/KeyHash", "openssl/SHA1", 0.0},
    {"ours/DeriveKey56", "openssl/SHA1x3", 0.0}, // derivations: 1 "MB/s" = 1e6 per second
    {"ours/Crc32", "zlib/crc32", 0.0},
};

constexpr double kCrc32MinimumMBps = 2000;

} // namespace

int main(int argc, char** argv) {
    CheckAgainstPeers();
    benchmark::RegisterBenchmark("ours/Blowfish/encrypt", OursCBC, vlt::AlgorithmId{1}, true);
    benchmark::RegisterBenchmark("openssl/BF-CBC/encrypt", TheirsOpenSslCBC, true);
    benchmark::RegisterBenchmark("gcrypt/Blowfish/encrypt", TheirsGcryptCBC, true);
    benchmark::RegisterBenchmark("ours/Blowfish/decrypt", OursCBC, vlt::AlgorithmId{1}, false);
    benchmark::RegisterBenchmark("openssl/BF-CBC/decrypt", TheirsOpenSslCBC, false);
    benchmark::RegisterBenchmark("gcrypt/Blowfish/decrypt", TheirsGcryptCBC, false);
    benchmark::RegisterBenchmark("ours/Blowfish32/encrypt", OursCBC, vlt::AlgorithmId{2}, true);
    benchmark::RegisterBenchmark("ours/Blowfish32/decrypt", OursCBC, vlt::AlgorithmId{2}, false);
    benchmark::RegisterBenchmark("ours/KeyHash", OursKeyHash);
    benchmark::RegisterBenchmark("openssl/SHA1", TheirsSha1);
    benchmark::RegisterBenchmark("ours/DeriveKey56", OursDeriveKey);
    benchmark::RegisterBenchmark("openssl/SHA1x3", TheirsSha1Derivation);
    benchmark::RegisterBenchmark("ours/Crc32", OursCrc32);
    benchmark::RegisterBenchmark("zlib/crc32", TheirsZlibCrc32);

    bench::GoalReporter reporter;
    bench::RunShuffled(argc, argv, 5, reporter);
    reporter.PrintGoals(kGoals);
    if (const double crc = reporter.Rate("ours/Crc32"); crc > 0) {
        std::printf("%-28s %10.1f MB/s  %s\n", "ours/Crc32", crc,
                    bench::GoalReporter::Verdict(kCrc32MinimumMBps, crc, " MB/s").c_str());
    }
    benchmark::Shutdown();
    return 0;
}
