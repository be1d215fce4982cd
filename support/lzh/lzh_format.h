#pragma once
// Parameters and constant tables of the block codec's bit stream. Stored files
// depend on every value here.
#include <array>
#include <cstdint>

namespace vlt::lzh {

inline constexpr int kWindowSize = 4096;                          // ring buffer; positions are taken modulo this
inline constexpr int kMaxMatch = 60;                              // longest match
inline constexpr int kThreshold = 2;                              // matches this short are sent as literals
inline constexpr int kSymbolCount = 256 - kThreshold + kMaxMatch; // literals, then lengths 3..60
inline constexpr int kNodeCount = 2 * kSymbolCount - 1;           // Huffman tree nodes
inline constexpr int kRoot = kNodeCount - 1;
inline constexpr int kRebuildFrequency = 0x8000; // root weight that triggers halving
inline constexpr int kNil = kWindowSize;         // empty link in the search trees
// Both directions start writing at this ring position after filling every position
// before it with spaces.
inline constexpr int kTextStart = kWindowSize - kMaxMatch;
inline constexpr std::uint8_t kPrefill = 0x20;

// The match position is a prefix code for its upper 6 bits followed by its lower 6 bits.
struct PositionCodeTables {
    std::array<std::uint8_t, 64> length{};        // bits of the prefix code of upper value j
    std::array<std::uint8_t, 64> code{};          // the prefix code, left-aligned in a byte
    std::array<std::uint8_t, 256> upper{};        // decoding: the next 8 bits -> j
    std::array<std::uint8_t, 256> decodeLength{}; // decoding: the next 8 bits -> length of j's code
};

constexpr PositionCodeTables MakePositionCodeTables() {
    PositionCodeTables tables;
    // Groups of equal code length: (first j, count, length, first code, step).
    constexpr int groups[6][5] = {{0, 1, 3, 0x00, 0x00},   {1, 3, 4, 0x20, 0x10},   {4, 8, 5, 0x50, 0x08},
                                  {12, 12, 6, 0x90, 0x04}, {24, 24, 7, 0xC0, 0x02}, {48, 16, 8, 0xF0, 0x01}};
    for (const auto& group : groups) {
        for (int k = 0; k < group[1]; ++k) {
            const int j = group[0] + k;
            const int code = group[3] + k * group[4];
            tables.length[j] = static_cast<std::uint8_t>(group[2]);
            tables.code[j] = static_cast<std::uint8_t>(code);
            const int span = 1 << (8 - group[2]);
            for (int b = code; b < code + span; ++b) {
                tables.upper[b] = static_cast<std::uint8_t>(j);
                tables.decodeLength[b] = static_cast<std::uint8_t>(group[2]);
            }
        }
    }
    return tables;
}

inline constexpr PositionCodeTables kPositionCodes = MakePositionCodeTables();

} // namespace vlt::lzh
