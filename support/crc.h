#pragma once
// The checksums of the stored formats: CRC-32 of file content (callers start at
// 0xFFFFFFFF and complement the result), CRC-16/ARC of the info block (start 0, no
// complement), and the XOR byte of the configuration file. The update functions
// apply no start value or complement of their own.
#include <cstddef>
#include <cstdint>

namespace vlt {

// The tables are built at compile time; this keeps the start-up step and may be
// called any number of times.
void InitCrcTables();

// Reflected polynomial 0xEDB88320, one table step per byte (computed 16 bytes at a time).
[[nodiscard]] std::uint32_t Crc32Update(const void* data, std::size_t length, std::uint32_t crc);
// Reflected polynomial 0xA001.
[[nodiscard]] std::uint16_t Crc16Update(const void* data, std::size_t length, std::uint16_t crc);
// start XOR every byte.
[[nodiscard]] std::uint8_t XorChecksum(const void* data, std::size_t length, std::uint8_t start);

} // namespace vlt
