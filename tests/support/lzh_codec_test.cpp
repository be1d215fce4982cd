#include "support/lzh/lzh_codec.h"

#include "support/lzh/lzh_symbol_writer.h"

#include "common/temp_dir.h"
#include "fuzz/lzh_decoder_input.h"
#include "support/lzh_reference.h"
#include "support/lzh_samples.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace vlt {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::PatternBytes;
using testing::ReferenceLzh;

constexpr std::uint32_t kFullBlock = 245760;
constexpr std::uint8_t kGuard = 0xA5;
constexpr std::size_t kGuardSize = 64;

Bytes FromText(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

class LzhCodecTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(LzhAllocTables()); }
    void TearDown() override { LzhFreeTables(); }

    // Compresses into a destination with guard bytes behind the capacity.
    static Bytes Compress(const Bytes& source, std::uint32_t capacity, std::int64_t& result) {
        Bytes destination(capacity + kGuardSize, kGuard);
        result = LzhCompress(source.data(), static_cast<std::uint32_t>(source.size()), destination.data(), capacity);
        EXPECT_TRUE(std::all_of(destination.begin() + capacity, destination.end(), [](auto b) { return b == kGuard; }))
            << "wrote past the capacity";
        destination.resize(result > 0 ? static_cast<std::size_t>(result) : 0);
        return destination;
    }

    static Bytes Compress(const Bytes& source) {
        std::int64_t result = 0;
        Bytes compressed =
            Compress(source, static_cast<std::uint32_t>(source.size() + source.size() / 64 + 64), result);
        EXPECT_NE(result, kLzhOverflow);
        return compressed;
    }

    // Decompresses from a heap copy of exactly sourceLength bytes, so that reading past it
    // trips the address sanitizer, into a destination with guard bytes behind m.
    static Bytes Decompress(const Bytes& source, std::uint32_t m) {
        const auto input = std::make_unique<std::uint8_t[]>(source.size() + 1);
        std::copy(source.begin(), source.end(), input.get());
        Bytes destination(m + kGuardSize, kGuard);
        EXPECT_EQ(LzhDecompress(input.get(), destination.data(), m, static_cast<std::uint32_t>(source.size())), m);
        EXPECT_TRUE(std::all_of(destination.begin() + m, destination.end(), [](auto b) { return b == kGuard; }))
            << "wrote past m";
        destination.resize(m);
        return destination;
    }
};

TEST_F(LzhCodecTest, KnownStreams) {
    const struct {
        Bytes plain;
        Bytes packed;
    } cases[] = {
        {FromText("abc"), {0xF6, 0xFB, 0xBD, 0xE0}},
        {FromText(std::string(20, 'a')), {0xF6, 0xCE, 0x00, 0x00}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Compress(c.plain), c.packed);
        EXPECT_EQ(ReferenceLzh().Compress(c.plain), c.packed);
        EXPECT_EQ(Decompress(c.packed, static_cast<std::uint32_t>(c.plain.size())), c.plain);
    }
}

// The fast codec writes the bit stream of the plain procedures and reads it back.
TEST_F(LzhCodecTest, MatchesReferenceAndRoundTrips) {
    struct Case {
        std::string name;
        Bytes plain;
    };
    std::vector<Case> cases = {
        {"text block", testing::TextSample(kFullBlock, 1)},
        {"binary block", testing::BinarySample(kFullBlock, 2)},
        {"random block", PatternBytes(kFullBlock, 3)},
        {"equal bytes block", Bytes(kFullBlock, 'a')},
        {"zeros", Bytes(5000, 0)},
        {"spaces like the prefilled window", Bytes(300, ' ')},
        {"text and random halves", testing::TextSample(70000, 5)},
    };
    const Bytes noise = PatternBytes(70000, 6);
    std::copy(noise.begin(), noise.begin() + 35000, cases.back().plain.begin() + 35000);
    // Runs end with strings that agree with their predecessor on all but the last byte.
    Bytes runs;
    for (int length = 1; length <= 130; ++length) {
        runs.insert(runs.end(), static_cast<std::size_t>(length), length % 2 == 0 ? 'x' : 0);
    }
    cases.push_back({"runs of 1 to 130 bytes", runs});
    for (std::size_t size : {1, 2, 3, 4, 59, 60, 61, 62, 100, 118, 119, 120, 121, 4095, 4096, 4097}) {
        cases.push_back({"text of " + std::to_string(size), testing::TextSample(size, 7)});
        cases.push_back({"random of " + std::to_string(size), PatternBytes(size, 8)});
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes packed = Compress(c.plain);
        EXPECT_EQ(packed, ReferenceLzh().Compress(c.plain));
        EXPECT_EQ(Decompress(packed, static_cast<std::uint32_t>(c.plain.size())), c.plain);
    }
}

// Codes longer than 16 bits must survive both directions: the encoder's symbol coder
// writes the plain procedures' stream for them, and the decoder reads it back.
TEST_F(LzhCodecTest, CodesLongerThanSixteenBits) {
    const auto tokens = testing::SkewedTokens(9);
    ReferenceLzh reference;
    const Bytes stream = reference.EncodeTokens(tokens);
    EXPECT_GT(reference.LongestCode(), 16);

    lzh::AdaptiveHuffman huffman;
    huffman.Start();
    Bytes written(stream.size() + 8, kGuard);
    lzh::BitWriter bits(written.data(), written.data() + written.size());
    lzh::SymbolWriter writer(huffman, bits);
    std::uint32_t m = 0;
    for (const auto& token : tokens) {
        writer.Symbol(static_cast<unsigned>(token.symbol));
        if (token.symbol >= 256) {
            writer.Position(static_cast<unsigned>(token.position));
        }
        m += token.symbol < 256 ? 1 : static_cast<std::uint32_t>(token.symbol - 253);
    }
    bits.Flush();
    written.resize(static_cast<std::size_t>(bits.Position() - written.data()));
    EXPECT_EQ(written, stream);

    EXPECT_EQ(Decompress(stream, m), ReferenceLzh().Decompress(stream, m));
}

// A block's output depends on that block alone, whatever came before it, and blocks
// decode separately in any order.
TEST_F(LzhCodecTest, BlocksAreIndependent) {
    const std::vector<Bytes> blocks = {
        PatternBytes(kFullBlock, 10),   FromText("short"), testing::TextSample(50000, 11),
        testing::TextSample(90, 12),    Bytes(1, 'x'),     Bytes(kFullBlock, 0),
        testing::BinarySample(117, 13), FromText("ab"),
    };
    std::vector<Bytes> packed;
    for (const auto& block : blocks) {
        packed.push_back(Compress(block));
        EXPECT_EQ(packed.back(), ReferenceLzh().Compress(block));
    }
    for (std::size_t i = blocks.size(); i-- > 0;) {
        EXPECT_EQ(Decompress(packed[i], static_cast<std::uint32_t>(blocks[i].size())), blocks[i]);
    }
}

TEST_F(LzhCodecTest, RandomDataGrowsWellUnderOnePercent) {
    const Bytes packed = Compress(PatternBytes(60000, 14));
    EXPECT_GT(packed.size(), 60000u);
    EXPECT_LT(packed.size(), 60300u);
}

// Whatever the input, exactly m bytes come out, nothing is read past the source length
// and the bytes equal those of the plain decoder.
TEST_F(LzhCodecTest, DecompressProducesExactlyMFromAnyInput) {
    const Bytes text = testing::TextSample(20000, 15);
    const Bytes packed = Compress(text);
    const struct {
        std::string name;
        Bytes source;
    } inputs[] = {
        {"empty source", {}},
        {"one byte", {0xFF}},
        {"all ones", Bytes(64, 0xFF)},
        {"random", PatternBytes(3000, 16)},
        {"truncated stream", Bytes(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(packed.size() / 2))},
        {"flipped bits",
         [&] {
             Bytes damaged = packed;
             for (std::size_t i = 7; i < damaged.size(); i += 97) {
                 damaged[i] ^= 0x10;
             }
             return damaged;
         }()},
    };
    for (const auto& input : inputs) {
        for (std::uint32_t m : {1u, 1000u, 20000u, 70000u}) {
            SCOPED_TRACE(input.name + ", m = " + std::to_string(m));
            EXPECT_EQ(Decompress(input.source, m), ReferenceLzh().Decompress(input.source, m));
        }
    }
    EXPECT_EQ(Decompress(packed, 20000), text);
}

// The decoder targets' seeds in their input forms, replayed as a test: each decodes like
// the reference at the size it asks for.
TEST_F(LzhCodecTest, FuzzSeedsDecodeLikeTheReference) {
    using Reader = fuzz::LzhDecoderRequest (*)(const Bytes&);
    const std::pair<const char*, Reader> targets[] = {
        {"fuzz_lzh_decompress", [](const Bytes& seed) { return fuzz::ReadLzhDecoderRequest(seed.data(), seed.size()); }},
        {"fuzz_lzh_decompress_large",
         [](const Bytes& seed) { return fuzz::ReadLargeLzhDecoderRequest(seed.data(), seed.size(), kFullBlock); }},
    };
    for (const auto& [target, read] : targets) {
        const std::string directory = std::string(VLT_TEST_DATA_DIR) + "/" + target;
        const auto names = testing::ListNames(directory);
        ASSERT_FALSE(names.empty()) << target;
        for (const auto& name : names) {
            SCOPED_TRACE(std::string(target) + "/" + name);
            const Bytes seed = testing::ReadBytes(directory + "/" + name);
            const fuzz::LzhDecoderRequest request = read(seed);
            const Bytes stream(request.stream, request.stream + request.streamSize);
            EXPECT_EQ(Decompress(stream, request.outputSize), ReferenceLzh().Decompress(stream, request.outputSize));
        }
    }
}

TEST_F(LzhCodecTest, OutputBoundIsNeverExceeded) {
    const Bytes plain = testing::TextSample(10000, 17);
    const Bytes packed = Compress(plain);
    const auto size = static_cast<std::uint32_t>(packed.size());
    for (std::uint32_t capacity : {0u, 1u, 4u, size / 2, size - 4, size - 1}) {
        std::int64_t result = 0;
        Compress(plain, capacity, result);
        EXPECT_EQ(result, kLzhOverflow) << "capacity " << capacity;
    }
    for (std::uint32_t capacity : {size, size + 1}) {
        std::int64_t result = 0;
        EXPECT_EQ(Compress(plain, capacity, result), packed);
        EXPECT_EQ(result, size);
    }
}

TEST(LzhTablesTest, EmptyBlocksAndMissingTablesTouchNothing) {
    const Bytes plain = FromText("content");
    Bytes destination(64, kGuard);
    LzhFreeTables();
    EXPECT_EQ(LzhCompress(plain.data(), 7, destination.data(), 64), kLzhOverflow);
    EXPECT_EQ(LzhDecompress(plain.data(), destination.data(), 64, 7), 0u);
    EXPECT_EQ(destination, Bytes(64, kGuard));

    ASSERT_TRUE(LzhAllocTables());
    ASSERT_TRUE(LzhAllocTables()); // a second call keeps the tables
    EXPECT_EQ(LzhCompress(plain.data(), 0, destination.data(), 64), 0);
    EXPECT_EQ(LzhDecompress(plain.data(), destination.data(), 0, 7), 0u);
    EXPECT_EQ(destination, Bytes(64, kGuard));
    LzhFreeTables();
    LzhFreeTables();
}

} // namespace
} // namespace vlt
