#pragma once
// The decoder's input side: Huffman codes for literals and lengths, prefix codes for
// match positions, read from the bit stream.
#include "support/lzh/lzh_bit_io.h"
#include "support/lzh/lzh_huffman.h"

#include <cstdint>

namespace vlt::lzh {

class SymbolReader {
public:
    SymbolReader(AdaptiveHuffman& huffman, BitReader& reader) : huffman_(huffman), reader_(reader) {}

    // The next literal (below 256) or length symbol; the model counts it.
    unsigned Symbol() {
        // 56 bits hold the longest code (21) and a position (14), so the position of a
        // match needs no refill of its own.
        reader_.Refill();
        std::uint64_t bits = reader_.Peek();
        unsigned node = huffman_.RootChildren();
        int depth = 0;
        do {
            node += static_cast<unsigned>(bits >> 63);
            bits <<= 1;
            path_[depth++] = static_cast<std::uint16_t>(node);
            node = huffman_.Child(node);
        } while (node < kNodeCount);
        reader_.Skip(depth);
        const unsigned symbol = node - kNodeCount;
        huffman_.Update(symbol, path_, depth);
        return symbol;
    }

    // The position (distance back minus 1) that follows a length symbol.
    unsigned Position() {
        const std::uint64_t peek = reader_.Peek();
        const unsigned top = static_cast<unsigned>(peek >> 56);
        const int codeLength = kPositionCodes.decodeLength[top] + 6;
        reader_.Skip(codeLength);
        return (static_cast<unsigned>(kPositionCodes.upper[top]) << 6) |
               static_cast<unsigned>((peek >> (64 - codeLength)) & 63);
    }

private:
    AdaptiveHuffman& huffman_;
    BitReader& reader_;
    std::uint16_t path_[kSymbolCount]; // a path is never longer than the tree has leaves
};

} // namespace vlt::lzh
