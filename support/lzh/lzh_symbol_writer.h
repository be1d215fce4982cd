#pragma once
// The encoder's output side: Huffman codes for literals and lengths, prefix codes for
// match positions, packed into the bit stream.
#include "support/lzh/lzh_bit_io.h"
#include "support/lzh/lzh_huffman.h"

#include <cstdint>

namespace vlt::lzh {

class SymbolWriter {
public:
    SymbolWriter(AdaptiveHuffman& huffman, BitWriter& writer) : huffman_(huffman), writer_(writer) {}

    void Symbol(unsigned symbol) {
        std::uint32_t code = 0;
        std::uint16_t* pathEnd = path_ + kSymbolCount;
        const int depth = huffman_.Code(symbol, code, pathEnd);
        writer_.Put(code, depth);
        huffman_.Update(symbol, pathEnd - depth, depth);
    }

    // Prefix code of the upper 6 bits, then the lower 6 bits.
    void Position(unsigned position) {
        const unsigned upper = position >> 6;
        const int prefixLength = kPositionCodes.length[upper];
        const unsigned prefix = kPositionCodes.code[upper] >> (8 - prefixLength);
        writer_.Put((prefix << 6) | (position & 63u), prefixLength + 6);
    }

private:
    AdaptiveHuffman& huffman_;
    BitWriter& writer_;
    std::uint16_t path_[kSymbolCount]; // a path is never longer than the tree has leaves
};

} // namespace vlt::lzh
