#pragma once
// The input forms of the two LZH decoder targets, shared with the unit test that decodes
// their seeds: leading bytes give the output size, the rest is the compressed stream.
//
// The decoder's work grows with the output, about 0.13 ms per kilobyte under the
// sanitizers, so the quick target (fuzz_lzh_decompress) asks mostly for small sizes: a
// first byte below 0xFF asks for 1..255 bytes; 0xFF and two more bytes (little-endian)
// for up to 65,535, but at most 16 output bytes per stream byte, so that a large output
// costs a long input, which the fuzzer tries rarely. The large target
// (fuzz_lzh_decompress_large) asks for 65,536 up to a full block: the Huffman tree
// rebuilt again and again, and the stream long exhausted.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "support/lzh/lzh_codec.h"

namespace vlt::fuzz {

constexpr std::size_t kLzhOutputPerStreamByte = 16;
constexpr std::uint32_t kLzhLargeOutput = 65536;

struct LzhDecoderRequest {
    std::uint32_t outputSize = 0; // 0: nothing to decode
    const std::uint8_t* stream = nullptr;
    std::size_t streamSize = 0;
};

inline LzhDecoderRequest ReadLzhDecoderRequest(const std::uint8_t* data, std::size_t size) {
    if (size >= 1 && data[0] < 0xFF) {
        return {data[0] + 1u, data + 1, size - 1};
    }
    if (size < 3) {
        return {};
    }
    const std::uint32_t wanted = data[1] | static_cast<std::uint32_t>(data[2]) << 8;
    const std::size_t streamSize = size - 3;
    const std::size_t allowed = kLzhOutputPerStreamByte * streamSize;
    return {static_cast<std::uint32_t>(std::min<std::size_t>(wanted, allowed)), data + 3, streamSize};
}

// Two leading bytes (little-endian) step from 65,536 to the block size in threes.
inline LzhDecoderRequest ReadLargeLzhDecoderRequest(const std::uint8_t* data, std::size_t size,
                                                    std::uint32_t blockSize) {
    if (size < 2) {
        return {};
    }
    const std::uint32_t step = data[0] | static_cast<std::uint32_t>(data[1]) << 8;
    return {std::min(kLzhLargeOutput + 3 * step, blockSize), data + 2, size - 2};
}

// Decodes from and into exact-size heap copies, so that the sanitizer sees any access
// beyond either end; aborts unless exactly the requested size comes out.
inline void DecodeExactly(const LzhDecoderRequest& request) {
    static const bool tablesReady = LzhAllocTables();
    if (!tablesReady || request.outputSize == 0) {
        return;
    }
    const auto stream = std::make_unique<std::uint8_t[]>(request.streamSize);
    std::memcpy(stream.get(), request.stream, request.streamSize);
    const std::unique_ptr<std::uint8_t[]> output(new std::uint8_t[request.outputSize]);
    if (LzhDecompress(stream.get(), output.get(), request.outputSize,
                      static_cast<std::uint32_t>(request.streamSize)) != request.outputSize) {
        std::abort();
    }
}

} // namespace vlt::fuzz
