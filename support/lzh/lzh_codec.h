#pragma once
// The block compression codec of the encrypted file format: LZSS over a 4,096-byte
// window with an adaptive Huffman code for literals and match lengths. Each block is
// coded on its own; the compressed stream carries no length, so the caller keeps the
// original length and hands it back for decoding.
//
// The working tables are process-wide and used by one thread, one run at a time.
#include <cstdint>

namespace vlt {

// Working tables for one run; the block operations need them. False when memory is short.
[[nodiscard]] bool LzhAllocTables();
// Releases the tables, zeroing them first (they hold fragments of the content).
void LzhFreeTables();

constexpr std::int64_t kLzhOverflow = -1;

// Compresses n bytes; writes at most capacity bytes. Returns the bytes written, 0 for n == 0,
// or kLzhOverflow when the output would exceed capacity (the destination then holds garbage)
// or the tables are not allocated.
[[nodiscard]] std::int64_t LzhCompress(const std::uint8_t* source, std::uint32_t n, std::uint8_t* destination,
                                       std::uint32_t capacity);

// Decodes until exactly m bytes are produced; reads at most sourceLength bytes (zero bits beyond).
// Returns m (0 when m == 0, and 0 without touching the destination when the tables are not
// allocated).
std::uint32_t LzhDecompress(const std::uint8_t* source, std::uint8_t* destination, std::uint32_t m,
                            std::uint32_t sourceLength);

} // namespace vlt
