// GOST, TDES, IDEA and Cobra CBC speed through the engine interface, beside the
// peers in the same run: OpenSSL's DES-EDE3-CBC (legacy provider), libgcrypt's
// 3DES, GOST28147 and IDEA in CBC, and our own Blowfish for Cobra. Buffers are
// 256 KiB, the largest a file run hands to the interface. The peers compute
// other functions (IP/FP, other key bits, other S-boxes, the real IDEA
// multiplication); only the work per byte is compared. After the Google
// Benchmark table a summary prints MB/s, the ratio ours/theirs and the goal.
#include "cipher/engine_interface.h"

#include "bench_buffer.h"
#include "bench_goals.h"

#include <benchmark/benchmark.h>
#include <gcrypt.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using bench::Bytes;
using bench::kBufferSize;
const std::uint8_t kKey[32] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF, 0xF0, 0xE1, 0xD2,
                               0xC3, 0xB4, 0xA5, 0x96, 0x87, 0x0F, 0x1E, 0x2D, 0x3C, 0x4B, 0x5A,
                               0x69, 0x78, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
const std::uint8_t kIv[8] = {};

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "bench_engines: %s\n", what.c_str());
    std::exit(1);
}

void Measure(benchmark::State& state, const auto& step) {
    Bytes buffer = bench::PatternBuffer();
    for (auto _ : state) {
        step(buffer.data());
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBufferSize));
}

void Ours(benchmark::State& state, vlt::AlgorithmId id, bool encrypt) {
    if (!vlt::CryptInit(id)) {
        Fail("CryptInit failed");
    }
    (void)vlt::CryptSetKey({kKey, sizeof kKey}, false);
    vlt::ChainingValue chaining;
    Measure(state, [&](std::uint8_t* data) {
        encrypt ? vlt::CryptEncryptCBC(data, kBufferSize, chaining) : vlt::CryptDecryptCBC(data, kBufferSize, chaining);
    });
    vlt::CryptDone();
}

void OpenSsl3Des(benchmark::State& state, bool encrypt) {
    if (!OSSL_PROVIDER_load(nullptr, "legacy") || !OSSL_PROVIDER_load(nullptr, "default")) {
        Fail("OpenSSL legacy provider not available");
    }
    EVP_CIPHER* cipher = EVP_CIPHER_fetch(nullptr, "DES-EDE3-CBC", nullptr);
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    if (!cipher || !context || !EVP_CipherInit_ex(context, cipher, nullptr, kKey, kIv, encrypt ? 1 : 0)) {
        Fail("OpenSSL DES-EDE3-CBC set-up failed");
    }
    EVP_CIPHER_CTX_set_padding(context, 0);
    Measure(state, [&](std::uint8_t* data) {
        int written = 0;
        if (!EVP_CipherUpdate(context, data, &written, data, static_cast<int>(kBufferSize))) {
            Fail("OpenSSL DES-EDE3-CBC failed");
        }
    });
    EVP_CIPHER_CTX_free(context);
    EVP_CIPHER_free(cipher);
}

void Gcrypt(benchmark::State& state, int algorithm, std::size_t keyLength, bool encrypt) {
    gcry_cipher_hd_t handle = nullptr;
    if (gcry_cipher_open(&handle, algorithm, GCRY_CIPHER_MODE_CBC, 0) || gcry_cipher_setkey(handle, kKey, keyLength) ||
        gcry_cipher_setiv(handle, kIv, sizeof kIv)) {
        Fail(std::string("libgcrypt set-up failed: ") + gcry_cipher_algo_name(algorithm));
    }
    Measure(state, [&](std::uint8_t* data) {
        const gcry_error_t error = encrypt ? gcry_cipher_encrypt(handle, data, kBufferSize, nullptr, 0)
                                           : gcry_cipher_decrypt(handle, data, kBufferSize, nullptr, 0);
        if (error) {
            Fail("libgcrypt CBC failed");
        }
    });
    gcry_cipher_close(handle);
}

constexpr bench::Goal kGoals[] = {
    {"ours/TDES/encrypt", "gcrypt/3DES/encrypt", 1.0},
    {"ours/TDES/decrypt", "gcrypt/3DES/decrypt", 1.0},
    {"ours/TDES/encrypt", "openssl/DES-EDE3-CBC/encrypt", 0.0},
    {"ours/TDES/decrypt", "openssl/DES-EDE3-CBC/decrypt", 0.0},
    {"ours/GOST/encrypt", "gcrypt/GOST28147/encrypt", 1.0},
    {"ours/GOST/decrypt", "gcrypt/GOST28147/decrypt", 1.0},
    {"ours/IDEA/encrypt", "gcrypt/IDEA/encrypt", 1.0},
    {"ours/IDEA/decrypt", "gcrypt/IDEA/decrypt", 1.0},
    {"ours/Cobra/encrypt", "ours/Blowfish/encrypt", 0.9},
    {"ours/Cobra/decrypt", "ours/Blowfish/decrypt", 0.9},
};

} // namespace

int main(int argc, char** argv) {
    if (!gcry_check_version(GCRYPT_VERSION)) {
        Fail("libgcrypt version mismatch");
    }
    gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);

    const struct {
        const char* name;
        vlt::AlgorithmId id;
    } ours[] = {{"TDES", 4}, {"GOST", 3}, {"IDEA", 6}, {"Cobra", 5}, {"Blowfish", 1}};
    const struct {
        const char* name;
        int algorithm;
        std::size_t keyLength;
    } gcrypt[] = {
        {"3DES", GCRY_CIPHER_3DES, 24}, {"GOST28147", GCRY_CIPHER_GOST28147, 32}, {"IDEA", GCRY_CIPHER_IDEA, 16}};

    for (bool encrypt : {true, false}) {
        const std::string direction = encrypt ? "/encrypt" : "/decrypt";
        for (const auto& engine : ours) {
            benchmark::RegisterBenchmark(("ours/" + std::string(engine.name) + direction).c_str(), Ours, engine.id,
                                         encrypt);
        }
        benchmark::RegisterBenchmark(("openssl/DES-EDE3-CBC" + direction).c_str(), OpenSsl3Des, encrypt);
        for (const auto& peer : gcrypt) {
            benchmark::RegisterBenchmark(("gcrypt/" + std::string(peer.name) + direction).c_str(), Gcrypt,
                                         peer.algorithm, peer.keyLength, encrypt);
        }
    }

    benchmark::Initialize(&argc, argv);
    bench::GoalReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintGoals(kGoals);
    benchmark::Shutdown();
    return 0;
}
