#pragma once
// Containers in the clear for the container fuzz targets: the layout as written,
// with the info block, the stored name, the block data and the trailer not (yet)
// enciphered. The fuzzer mutates names, lengths, flags and compressed data in this
// form, and the target enciphers it along its own layout before decoding, so most
// inputs pass the passphrase check and reach the checks behind it.
#include "container/crypt_run.h"
#include "container/format.h"
#include "support/crc.h"
#include "support/little_endian.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vlt::fuzzing {

// Byte 6 of the file header is never examined by readers; bit 0 set marks an input
// in the clear. Containers as written hold 0x0E there and are decoded as they are.
inline constexpr std::size_t kClearFlagOffset = 6;
inline constexpr std::uint8_t kClearFlag = 0x01;

enum class Cipher { Encipher, Decipher };

// Walks the enciphered regions of `bytes` in chain order with the current run's
// keys: info block, padded stored name, each block's padded data (block headers
// stay clear), trailer. Lengths come from the clear side of each region; the walk
// stops where the input ends, and a region cut short is transformed in whole cipher
// blocks only. Enciphering also fits the CRC-16 of the clear info block.
inline void TransformRegions(std::vector<std::uint8_t>& bytes, bool vlt7Mode, Cipher cipher) {
    constexpr std::size_t kParamOffset = kFileHeaderSize;
    constexpr std::size_t kInfoOffset = kParamOffset + kParamBlockSize;
    if (bytes.size() < kInfoOffset + kInfoBlockSize) {
        return;
    }
    ChainingValue chain{GetLe32(&bytes[kParamOffset + 6]), GetLe32(&bytes[kParamOffset + 10])};
    std::size_t position = kInfoOffset;
    // False when the input ended inside the region.
    const auto transform = [&](std::size_t length) {
        const std::size_t available = (bytes.size() - position) / 8 * 8;
        const auto whole = static_cast<std::uint32_t>(std::min(length, available));
        if (cipher == Cipher::Encipher) {
            RunEncipher(&bytes[position], whole, chain);
        } else {
            RunDecipher(&bytes[position], whole, chain);
        }
        position += whole;
        return whole == length;
    };

    std::uint8_t* info = &bytes[kInfoOffset];
    if (cipher == Cipher::Encipher) {
        PutLe16(&bytes[kParamOffset + 3], Crc16Update(info, kInfoBlockSize, 0));
    }
    const std::uint8_t clearNameLength = info[5];
    (void)transform(kInfoBlockSize);
    const std::uint8_t nameLength = cipher == Cipher::Encipher ? clearNameLength : bytes[kInfoOffset + 5];
    if (!transform(PaddedLength(nameLength))) {
        return;
    }
    const std::size_t headerSize = GenerationFor(vlt7Mode).blockHeaderSize;
    for (;;) {
        if (bytes.size() - position < headerSize) {
            return;
        }
        const BlockHeader header = DecodeBlockHeader(&bytes[position], vlt7Mode);
        position += headerSize;
        if (!transform(PaddedLength(header.storedLength))) {
            return;
        }
        if ((header.flags & bfLast) != 0) {
            (void)transform(kTrailerSize);
            return;
        }
    }
}

} // namespace vlt::fuzzing
