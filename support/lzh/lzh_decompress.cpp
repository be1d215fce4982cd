#include "support/lzh/lzh_block.h"
#include "support/lzh/lzh_symbol_reader.h"

#include <cstring>

namespace vlt::lzh {
namespace {

// The ring before the first output byte: spaces at the positions filled at block
// start, zeros at the few positions behind them (only a damaged stream reaches back
// that far; fixed bytes keep an earlier block's content out of this one).
std::uint8_t InitialRingByte(std::int64_t offset) {
    return offset >= -kTextStart ? kPrefill : 0;
}

// Appends a copy of `length` bytes starting `distance` bytes back, stopping at m.
void CopyMatch(std::uint8_t* destination, std::uint32_t& count, std::uint32_t m, std::uint32_t distance,
               std::uint32_t length) {
    if (distance <= count && length <= m - count) {
        std::uint8_t* out = destination + count;
        const std::uint8_t* from = out - distance;
        count += length;
        if (distance >= 8 && m - count >= 8) {
            // Each 8-byte step reads only bytes written before it; the last step may
            // write up to 7 bytes ahead, which later output overwrites.
            for (std::uint32_t k = 0; k < length; k += 8) {
                std::memcpy(out + k, from + k, 8);
            }
        } else {
            for (std::uint32_t k = 0; k < length; ++k) {
                out[k] = from[k];
            }
        }
        return;
    }
    for (std::uint32_t k = 0; k < length && count < m; ++k, ++count) {
        const std::int64_t source = static_cast<std::int64_t>(count) - distance;
        destination[count] = source >= 0 ? destination[source] : InitialRingByte(source);
    }
}

} // namespace

std::uint32_t DecompressBlock(AdaptiveHuffman& huffman, const std::uint8_t* source, std::uint8_t* destination,
                              std::uint32_t m, std::uint32_t sourceLength) {
    if (m == 0) {
        return 0;
    }
    huffman.Start();
    BitReader reader(source, source + sourceLength);
    SymbolReader symbols(huffman, reader);
    std::uint32_t count = 0;
    while (count < m) {
        const unsigned symbol = symbols.Symbol();
        if (symbol < 256) {
            destination[count++] = static_cast<std::uint8_t>(symbol);
            continue;
        }
        const unsigned position = symbols.Position();
        CopyMatch(destination, count, m, position + 1, symbol - (255 - kThreshold));
    }
    return m;
}

} // namespace vlt::lzh
