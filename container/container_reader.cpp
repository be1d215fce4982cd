#include "container/container_reader.h"

#include "support/crc.h"
#include "support/little_endian.h"
#include "support/lzh/lzh_codec.h"
#include "support/secure_memory.h"

#include <algorithm>
#include <cstring>

namespace vlt {
namespace {

// Lengths from the file are untrusted: each must fit the run's buffers and agree
// with what a writer can produce.
[[nodiscard]] bool PlausibleBlock(const BlockHeader& header, const FormatGeneration& generation) {
    const bool compressed = (header.flags & bfCompressed) != 0;
    if (header.originalLength > generation.readBufferSize ||
        PaddedLength(header.storedLength) > generation.workBufferSize) {
        return false;
    }
    if (header.storedLength == 0) {
        return header.originalLength == 0;
    }
    return compressed || header.originalLength <= header.storedLength;
}

} // namespace

std::int64_t FileSource::Read(void* data, std::size_t length) {
    return SafeRead(data, 1, length, file_);
}

std::int64_t MemorySource::Read(void* data, std::size_t length) {
    const std::size_t count = std::min(length, size_ - offset_);
    if (count > 0) {
        std::memcpy(data, data_ + offset_, count);
    }
    offset_ += count;
    return static_cast<std::int64_t>(count);
}

void ContainerBlock::UseSlot(CryptRun& run, std::size_t slot) {
    plainBuffer = run.blocks[slot].readBuffer.Data();
    workBuffer = run.blocks[slot].workBuffer.Data();
}

ContainerReader::ContainerReader(ByteSource& source, const CryptRun& run, bool splitDecipher)
    : source_(source), vlt7Mode_(run.vlt7Mode), splitDecipher_(splitDecipher), generation_(run.Generation()) {}

ContainerReader::~ContainerReader() {
    SecureZero(header_, sizeof header_);
    SecureZero(param_, sizeof param_);
    SecureZero(info_, sizeof info_);
    SecureZero(name_, sizeof name_);
    SecureZero(&chain_, sizeof chain_);
}

bool ContainerReader::ReadAll(void* data, std::size_t length) {
    return source_.Read(data, length) == static_cast<std::int64_t>(length);
}

ResultCode ContainerReader::ReadPrologue() {
    if (!ReadAll(header_, kFileHeaderSize) || GetLe32(header_ + 2) != FormatMagic) {
        return resNotEncrypted;
    }
    switch (header_[1]) {
    case kGenerationVlt7:
        if (!vlt7Mode_) {
            return resNeedsVlt7Compat;
        }
        break;
    case kGenerationVlt95:
        if (vlt7Mode_) {
            return resNeedsVlt95Compat;
        }
        break;
    default:
        return resUnsupportedFormat;
    }
    if (!ReadAll(param_, kParamBlockSize) || !ReadAll(info_, kInfoBlockSize) || param_[5] != kInfoBlockSize) {
        return resIllegalFormat;
    }
    chain_ = ChainingValue{GetLe32(param_ + 6), GetLe32(param_ + 10)};
    RunDecipher(info_, kInfoBlockSize, chain_);
    if (Crc16Update(info_, kInfoBlockSize, 0) != GetLe16(param_ + 3)) {
        return resPassphraseFailed;
    }
    // The name is deciphered even when unused, to keep the chain in step.
    const std::uint32_t nameLength = info_[5];
    if (nameLength != 0) {
        const std::uint32_t padded = PaddedLength(nameLength);
        if (!ReadAll(name_, padded)) {
            return resIllegalFormat;
        }
        RunDecipher(name_, padded, chain_);
    }
    return resDone;
}

std::string ContainerReader::StoredName() const {
    return std::string(reinterpret_cast<const char*>(name_), info_[5]);
}

std::uint32_t ContainerReader::StoredDateTime() const {
    return GetLe32(info_ + 1);
}

void ContainerReader::ReadBlock(ContainerBlock& block) {
    block.status = resIllegalFormat;
    block.padded = 0;
    block.data = nullptr;
    std::uint8_t headerBytes[kMaxBlockHeaderSize];
    if (!ReadAll(headerBytes, generation_.blockHeaderSize)) {
        return;
    }
    block.header = DecodeBlockHeader(headerBytes, vlt7Mode_);
    if ((vlt7Mode_ && (block.header.flags & bfLongHeader) != 0) || !PlausibleBlock(block.header, generation_)) {
        return;
    }
    const std::uint32_t padded = PaddedLength(block.header.storedLength);
    if (padded != 0 && !ReadAll(block.workBuffer, padded)) {
        return;
    }
    block.padded = padded;
    block.status = resDone;
}

ResultCode ContainerReader::DecodeBlock(ContainerBlock& block) {
    if (block.status != resDone || block.padded == 0) {
        return block.status;
    }
    if (splitDecipher_) {
        RunDecipherSplit(block.workBuffer, block.padded, chain_);
    } else {
        RunDecipher(block.workBuffer, block.padded, chain_);
    }
    block.data = block.workBuffer;
    if ((block.header.flags & bfCompressed) != 0) {
        if (LzhDecompress(block.workBuffer, block.plainBuffer, block.header.originalLength, block.padded) !=
            block.header.originalLength) {
            return resDecompressionError;
        }
        block.data = block.plainBuffer;
    }
    return resDone;
}

ResultCode ContainerReader::CheckTrailer(std::uint32_t runningCrc, bool ignoreCrc) {
    std::uint8_t trailer[kTrailerSize];
    if (!ReadAll(trailer, kTrailerSize)) {
        return resIllegalFormat;
    }
    RunDecipher(trailer, kTrailerSize, chain_);
    const std::uint32_t stored = GetLe32(trailer + 4);
    SecureZero(trailer, sizeof trailer);
    return ignoreCrc || ~runningCrc == stored ? resDone : resCRC32Error;
}

} // namespace vlt
