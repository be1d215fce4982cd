#pragma once
// One block in either direction, on tables the caller owns.
#include "support/lzh/lzh_huffman.h"
#include "support/lzh/lzh_match_finder.h"

#include <cstdint>

namespace vlt::lzh {

struct CodecTables {
    AdaptiveHuffman huffman;
    MatchFinder finder;
};

// Returns the compressed size, or -1 when it would exceed capacity.
[[nodiscard]] std::int64_t CompressBlock(CodecTables& tables, const std::uint8_t* source, std::uint32_t n,
                                         std::uint8_t* destination, std::uint32_t capacity);

// Produces exactly m bytes from at most sourceLength bytes of input; returns m.
std::uint32_t DecompressBlock(AdaptiveHuffman& huffman, const std::uint8_t* source, std::uint8_t* destination,
                              std::uint32_t m, std::uint32_t sourceLength);

} // namespace vlt::lzh
