// Block codec speed and ratio beside zlib (deflate levels 6 and 1, inflate) on one
// generated corpus: text-like and binary-like content in 245,760-byte blocks, the
// block size of a compressed run. MB/s counts original bytes in both directions;
// BM_AgainstZlib gives the speed ratios to zlib directly, and the adaptive model's
// share: the work both directions do for every symbol whatever else they do.
#include "support/lzh/lzh_codec.h"
#include "support/lzh/lzh_symbol_reader.h"
#include "support/lzh/lzh_symbol_writer.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <time.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::size_t kBlockSize = 245760;
constexpr int kTextBlocks = 24;
constexpr int kBinaryBlocks = 24;

// Prose from a Zipf-distributed vocabulary of made-up words.
Bytes TextBlock(std::mt19937& random) {
    static const std::vector<std::string> vocabulary = [] {
        std::mt19937 wordRandom(7);
        std::vector<std::string> words;
        for (int i = 0; i < 4000; ++i) {
            std::string word;
            const int length = 1 + static_cast<int>(wordRandom() % 3) + static_cast<int>(wordRandom() % 7);
            for (int k = 0; k < length; ++k) {
                word.push_back(static_cast<char>("etaoinshrdlcumwfgypbvkjxqz"[wordRandom() % 26 % (k ? 26 : 20)]));
            }
            words.push_back(word);
        }
        return words;
    }();
    std::vector<double> weights(vocabulary.size());
    for (std::size_t i = 0; i < weights.size(); ++i) {
        weights[i] = 1.0 / static_cast<double>(i + 1);
    }
    std::discrete_distribution<std::size_t> zipf(weights.begin(), weights.end());
    Bytes block;
    bool sentenceStart = true;
    while (block.size() < kBlockSize) {
        std::string word = vocabulary[zipf(random)];
        if (sentenceStart) {
            word[0] = static_cast<char>(word[0] - 'a' + 'A');
        }
        block.insert(block.end(), word.begin(), word.end());
        const unsigned pick = random() % 40;
        sentenceStart = pick < 3;
        if (pick < 3) {
            block.push_back('.');
        } else if (pick < 6) {
            block.push_back(',');
        }
        block.push_back(pick == 0 ? '\n' : ' ');
    }
    block.resize(kBlockSize);
    return block;
}

// A program's data: fixed-size records with counters, small numbers, float-like
// values, text fields and padding, ending in a short stretch of already compressed bytes.
Bytes BinaryBlock(std::mt19937& random) {
    Bytes block;
    const auto next = [&random] { return static_cast<std::uint32_t>(random()); };
    std::uint32_t id = next() % 100000;
    const char* names[] = {"alpha", "beta", "gamma", "delta", "epsilon", "zeta"};
    while (block.size() < kBlockSize * 31 / 32) {
        id += 1 + next() % 3;
        const float value = static_cast<float>(std::sin(id * 0.01) * 1000.0);
        std::uint32_t valueBits = 0;
        static_assert(sizeof value == sizeof valueBits);
        std::memcpy(&valueBits, &value, sizeof value);
        const std::uint32_t fields[] = {id, next() % 256, valueBits, next() % 4 == 0 ? next() : 0u};
        for (const std::uint32_t field : fields) {
            for (int b = 0; b < 4; ++b) {
                block.push_back(static_cast<std::uint8_t>(field >> (8 * b)));
            }
        }
        const std::string name = names[random() % 6];
        block.insert(block.end(), name.begin(), name.end());
        block.insert(block.end(), 12 - name.size(), 0);
    }
    while (block.size() < kBlockSize) {
        block.push_back(static_cast<std::uint8_t>(random()));
    }
    block.resize(kBlockSize);
    return block;
}

const std::vector<Bytes>& Corpus() {
    static const std::vector<Bytes> corpus = [] {
        std::mt19937 random(1995);
        std::vector<Bytes> blocks;
        for (int i = 0; i < kTextBlocks + kBinaryBlocks; ++i) {
            blocks.push_back(i % 2 == 0 ? TextBlock(random) : BinaryBlock(random));
        }
        return blocks;
    }();
    return corpus;
}

std::size_t CorpusBytes() {
    return Corpus().size() * kBlockSize;
}

struct Packed {
    std::vector<Bytes> blocks;
    std::size_t total = 0;
};

Packed LzhPack() {
    Packed packed;
    Bytes out(kBlockSize + 16384);
    for (const auto& block : Corpus()) {
        const std::int64_t size =
            vlt::LzhCompress(block.data(), kBlockSize, out.data(), static_cast<std::uint32_t>(out.size()));
        if (size < 0) {
            std::abort();
        }
        packed.blocks.emplace_back(out.begin(), out.begin() + size);
        packed.total += static_cast<std::size_t>(size);
    }
    return packed;
}

Packed ZlibPack(int level) {
    Packed packed;
    Bytes out(compressBound(kBlockSize));
    for (const auto& block : Corpus()) {
        uLongf size = out.size();
        if (compress2(out.data(), &size, block.data(), kBlockSize, level) != Z_OK) {
            std::abort();
        }
        packed.blocks.emplace_back(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(size));
        packed.total += size;
    }
    return packed;
}

void LzhUnpack(const Packed& packed, Bytes& out) {
    for (const auto& block : packed.blocks) {
        vlt::LzhDecompress(block.data(), out.data(), kBlockSize, static_cast<std::uint32_t>(block.size()));
        benchmark::DoNotOptimize(out.data());
    }
}

bool ZlibUnpack(const Packed& packed, Bytes& out) {
    for (const auto& block : packed.blocks) {
        uLongf size = out.size();
        if (uncompress(out.data(), &size, block.data(), block.size()) != Z_OK) {
            return false;
        }
        benchmark::DoNotOptimize(out.data());
    }
    return true;
}

// The literal and length symbols of each packed block, in stream order.
std::vector<std::vector<std::uint16_t>> SymbolsOf(const Packed& packed) {
    std::vector<std::vector<std::uint16_t>> symbols;
    vlt::lzh::AdaptiveHuffman huffman;
    for (const auto& block : packed.blocks) {
        huffman.Start();
        vlt::lzh::BitReader bits(block.data(), block.data() + block.size());
        vlt::lzh::SymbolReader reader(huffman, bits);
        auto& blockSymbols = symbols.emplace_back();
        for (std::size_t count = 0; count < kBlockSize;) {
            const unsigned symbol = reader.Symbol();
            blockSymbols.push_back(static_cast<std::uint16_t>(symbol));
            if (symbol < 256) {
                ++count;
            } else {
                reader.Position();
                count += symbol - (255 - vlt::lzh::kThreshold);
            }
        }
    }
    return symbols;
}

// Codes the symbols with the adaptive model only: find each code and count the symbol.
void CodeSymbols(const std::vector<std::vector<std::uint16_t>>& symbols) {
    vlt::lzh::AdaptiveHuffman huffman;
    Bytes out(kBlockSize + 16384);
    for (const auto& blockSymbols : symbols) {
        huffman.Start();
        vlt::lzh::BitWriter bits(out.data(), out.data() + out.size());
        vlt::lzh::SymbolWriter writer(huffman, bits);
        for (const std::uint16_t symbol : blockSymbols) {
            writer.Symbol(symbol);
        }
        benchmark::DoNotOptimize(bits.Position());
    }
}

// CPU time of this thread spent in work, in seconds: time the scheduler gives to other
// processes on a loaded machine does not count.
template <class Work> double CpuSeconds(Work&& work) {
    timespec start{};
    timespec stop{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
    work();
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &stop);
    return static_cast<double>(stop.tv_sec - start.tv_sec) + 1e-9 * static_cast<double>(stop.tv_nsec - start.tv_nsec);
}

void Report(benchmark::State& state, std::size_t packedTotal) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * CorpusBytes()));
    state.counters["ratio%"] = 100.0 * static_cast<double>(packedTotal) / static_cast<double>(CorpusBytes());
}

void BM_LzhCompress(benchmark::State& state) {
    if (!vlt::LzhAllocTables()) {
        state.SkipWithError("no tables");
        return;
    }
    Packed packed;
    for (auto _ : state) {
        packed = LzhPack();
        benchmark::DoNotOptimize(packed.total);
    }
    Report(state, packed.total);
}

void BM_LzhDecompress(benchmark::State& state) {
    if (!vlt::LzhAllocTables()) {
        state.SkipWithError("no tables");
        return;
    }
    const Packed packed = LzhPack();
    Bytes out(kBlockSize);
    for (auto _ : state) {
        LzhUnpack(packed, out);
    }
    for (std::size_t i = 0; i < packed.blocks.size(); ++i) {
        vlt::LzhDecompress(packed.blocks[i].data(), out.data(), kBlockSize,
                           static_cast<std::uint32_t>(packed.blocks[i].size()));
        if (out != Corpus()[i]) {
            state.SkipWithError("round trip failed");
        }
    }
    Report(state, packed.total);
}

void BM_ZlibDeflate(benchmark::State& state) {
    Packed packed;
    for (auto _ : state) {
        packed = ZlibPack(static_cast<int>(state.range(0)));
        benchmark::DoNotOptimize(packed.total);
    }
    Report(state, packed.total);
}

void BM_ZlibInflate(benchmark::State& state) {
    const Packed packed = ZlibPack(6);
    Bytes out(kBlockSize);
    for (auto _ : state) {
        if (!ZlibUnpack(packed, out)) {
            state.SkipWithError("inflate failed");
            return;
        }
    }
    Report(state, packed.total);
}

// The speed goals as ratios of CPU times (goals: compression at least 0.7 of deflate
// level 6, decompression at least 0.75 of inflate). Each round times both codecs back to
// back, so a change in machine load weighs on both sides alike. model_vs_inflate is the
// adaptive model alone (find each code, count each symbol) against inflate: a decoder
// built on this model cannot get above it.
void BM_AgainstZlib(benchmark::State& state) {
    if (!vlt::LzhAllocTables()) {
        state.SkipWithError("no tables");
        return;
    }
    const Packed lzh = LzhPack();
    const Packed zlib = ZlibPack(6);
    const auto symbols = SymbolsOf(lzh);
    Bytes out(kBlockSize);
    double model = 0;
    double lzhPack = 0;
    double zlibPack = 0;
    double lzhUnpack = 0;
    double zlibUnpack = 0;
    for (auto _ : state) {
        lzhPack += CpuSeconds([] { benchmark::DoNotOptimize(LzhPack().total); });
        zlibPack += CpuSeconds([] { benchmark::DoNotOptimize(ZlibPack(6).total); });
        lzhUnpack += CpuSeconds([&] { LzhUnpack(lzh, out); });
        zlibUnpack += CpuSeconds([&] {
            if (!ZlibUnpack(zlib, out)) {
                std::abort();
            }
        });
        model += CpuSeconds([&] { CodeSymbols(symbols); });
    }
    state.counters["compress_vs_deflate6"] = zlibPack / lzhPack;
    state.counters["decompress_vs_inflate"] = zlibUnpack / lzhUnpack;
    state.counters["model_vs_inflate"] = zlibUnpack / model;
}

BENCHMARK(BM_LzhCompress)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibDeflate)->Arg(6)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LzhDecompress)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibInflate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AgainstZlib)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
