#pragma once
// Decodes a container from a byte source: the file header and generation, the
// passphrase check on the info block, the stored name, the block headers with
// their plausibility checks, decipher, decompress, the CRC-32 and the trailer.
//
// Every length in the input is untrusted and checked against the run's buffers
// before it is used. A reader serves one input and keeps nothing beyond it; it
// uses the keys and buffers of the current run (SetupCryptContext, and
// LzhAllocTables for compressed blocks), needs no thread and no file, and can
// decode any number of inputs one after the other in the same run.
#include "container/crypt_run.h"
#include "container/format.h"
#include "container/result_code.h"
#include "support/file_access.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace vlt {

// Sequential bytes of a container.
class ByteSource {
public:
    // Up to `length` bytes from the current position: fewer at the end, -1 on a read error.
    [[nodiscard]] virtual std::int64_t Read(void* data, std::size_t length) = 0;

protected:
    ~ByteSource() = default;
};

// An open file, read from its current position.
class FileSource final : public ByteSource {
public:
    explicit FileSource(FileHandle& file) : file_(file) {}
    [[nodiscard]] std::int64_t Read(void* data, std::size_t length) override;

private:
    FileHandle& file_;
};

// Bytes in memory; the caller keeps them alive while the reader runs.
class MemorySource final : public ByteSource {
public:
    MemorySource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    [[nodiscard]] std::int64_t Read(void* data, std::size_t length) override;

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t offset_ = 0;
};

// One block on its way out of the container, in one slot of the run's buffers.
struct ContainerBlock {
    std::uint8_t* plainBuffer = nullptr; // the generation's read buffer size
    std::uint8_t* workBuffer = nullptr;  // the generation's work buffer size
    ResultCode status = resDone;         // of the read
    BlockHeader header;
    std::uint32_t padded = 0;            // stored bytes read, a multiple of 8
    const std::uint8_t* data = nullptr;  // after decoding: header.originalLength plain bytes

    // Points the block at slot `slot` of the run's buffers.
    void UseSlot(CryptRun& run, std::size_t slot);
    // No block follows: the last one, or its read failed.
    [[nodiscard]] bool EndsInput() const { return status != resDone || (header.flags & bfLast) != 0; }
};

class ContainerReader {
public:
    // With `splitDecipher` each block's decipher runs on two threads (RunDecipherSplit).
    ContainerReader(ByteSource& source, const CryptRun& run, bool splitDecipher = false);
    ~ContainerReader();
    ContainerReader(const ContainerReader&) = delete;
    ContainerReader& operator=(const ContainerReader&) = delete;

    // File header, parameter and info blocks, stored name: resNotEncrypted,
    // resNeedsVlt7Compat, resNeedsVlt95Compat, resUnsupportedFormat,
    // resIllegalFormat or resPassphraseFailed, else resDone.
    [[nodiscard]] ResultCode ReadPrologue();
    // Valid after ReadPrologue: the stored name (possibly empty, not yet checked as
    // a file name), the stored attributes and DOS date-time.
    [[nodiscard]] std::string StoredName() const;
    [[nodiscard]] std::uint8_t StoredAttributes() const { return info_[0]; }
    [[nodiscard]] std::uint32_t StoredDateTime() const;

    // The next block header and its stored data; the failure (resIllegalFormat) is
    // kept in the block. Touches only the source and the block, so it may run on an
    // I/O thread while another block is decoded.
    void ReadBlock(ContainerBlock& block);
    // Deciphers (the chain continues) and decompresses a block read before, in
    // block order: the read's failure, resDecompressionError, or resDone.
    [[nodiscard]] ResultCode DecodeBlock(ContainerBlock& block);
    // After the last block: the trailer against the running CRC-32 of the content
    // (resCRC32Error); with `ignoreCrc` it is read but not compared (resIllegalFormat
    // when short).
    [[nodiscard]] ResultCode CheckTrailer(std::uint32_t runningCrc, bool ignoreCrc);

private:
    [[nodiscard]] bool ReadAll(void* data, std::size_t length);

    ByteSource& source_;
    const bool vlt7Mode_;
    const bool splitDecipher_;
    const FormatGeneration& generation_;
    ChainingValue chain_{0, 0};
    std::uint8_t header_[kFileHeaderSize] = {};
    std::uint8_t param_[kParamBlockSize] = {};
    std::uint8_t info_[kInfoBlockSize] = {};
    std::uint8_t name_[kNameBufferSize] = {};
};

} // namespace vlt
