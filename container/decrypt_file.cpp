#include "container/decrypt_file.h"

#include "container/block_pipeline.h"
#include "container/crypt_run.h"
#include "container/format.h"
#include "support/little_endian.h"
#include "container/overwrite_question.h"
#include "container/stored_name.h"
#include "platform/dos_time.h"
#include "support/crc.h"
#include "support/file_access.h"
#include "support/lzh/lzh_codec.h"

#include <array>

namespace vlt {
namespace {

[[nodiscard]] bool ReadAll(void* data, std::size_t length, FileHandle& file) {
    return SafeRead(data, 1, length, file) == static_cast<std::int64_t>(length);
}

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

// One stored block on its way out of the container, in a slot of the run's buffers.
struct StoredSlot {
    std::uint8_t* plain = nullptr;
    std::uint8_t* work = nullptr;
    ResultCode status = resDone; // of the read
    BlockHeader header;
    std::uint32_t padded = 0;
    const std::uint8_t* data = nullptr; // the plain content
    bool written = false;
};

class FileDecryption final : private BlockStages {
public:
    FileDecryption(TDecryptContext& context, FileOperationHost& host, CryptRun& run)
        : context_(context), host_(host), run_(run), generation_(run.Generation()),
          sourcePath_(context.SourceDir + context.FileName) {
        for (std::size_t i = 0; i < kBlocksInFlight; ++i) {
            slots_[i].plain = run.blocks[i].readBuffer.Data();
            slots_[i].work = run.blocks[i].workBuffer.Data();
        }
    }

    ~FileDecryption() {
        SecureZero(header_, sizeof header_);
        SecureZero(param_, sizeof param_);
        SecureZero(info_, sizeof info_);
        SecureZero(name_, sizeof name_);
        SecureZero(&chain_, sizeof chain_);
    }

    ResultCode Run() {
        source_ = SafeOpen(sourcePath_, omRead);
        if (!source_.IsOpen()) {
            return resIOError;
        }
        if (const ResultCode opened = ReadPrologueAndOpenTarget(); opened != resDone) {
            return SafeClose(source_) ? opened : resFatalError;
        }
        const ResultCode written = WritePlainFile();
        if (!SafeClose(source_)) {
            (void)SafeClose(target_);
            SafeDelete(targetPath_);
            return resFatalError;
        }
        if (!SafeClose(target_)) {
            SafeDelete(targetPath_);
            return resFatalError;
        }
        if (written != resDone) {
            return SafeDelete(targetPath_) ? written : resFatalError;
        }
        return Finish();
    }

private:
    ResultCode ReadPrologueAndOpenTarget() {
        if (!ReadAll(header_, kFileHeaderSize, source_) || GetLe32(header_ + 2) != FormatMagic) {
            return resNotEncrypted;
        }
        switch (header_[1]) {
        case kGenerationVlt7:
            if (!run_.vlt7Mode) {
                return resNeedsVlt7Compat;
            }
            break;
        case kGenerationVlt95:
            if (run_.vlt7Mode) {
                return resNeedsVlt95Compat;
            }
            break;
        default:
            return resUnsupportedFormat;
        }
        if (!ReadAll(param_, kParamBlockSize, source_) || !ReadAll(info_, kInfoBlockSize, source_) ||
            param_[5] != kInfoBlockSize) {
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
            if (!ReadAll(name_, padded, source_)) {
                return resIllegalFormat;
            }
            RunDecipher(name_, padded, chain_);
        }
        ChooseTarget(std::string(reinterpret_cast<const char*>(name_), nameLength));

        if (targetPath_ == sourcePath_) {
            return resIOError; // the source cannot be its own output
        }
        if (workFile_) {
            target_ = SafeCreateNew(targetPath_); // never over an earlier work file
            return target_.IsOpen() ? resDone : resIOError;
        }
        if (context_.WarnOverwrite && FileExistsAny(targetPath_)) {
            if (const ResultCode answer = AskOverwrite(host_, targetPath_); answer != resDone) {
                return answer;
            }
        }
        SetAttributes(targetPath_, 0);
        target_ = SafeOpen(targetPath_, omCreate);
        return target_.IsOpen() ? resDone : resIOError;
    }

    // A stored name is untrusted: only a plain name in the target directory is used.
    void ChooseTarget(const std::string& storedName) {
        std::string outputName = context_.FileName;
        context_.RestoredName.clear();
        if (context_.RestoreFileName && !storedName.empty()) {
            if (IsPlainStoredName(storedName)) {
                outputName = storedName;
                context_.RestoredName = storedName;
            } else {
                context_.StoredNameRejected = true;
            }
        }
        if (!context_.DestDir.empty()) {
            targetPath_ = context_.DestDir + outputName;
        } else if (context_.RestoreFileName && outputName != context_.FileName) {
            targetPath_ = context_.SourceDir + outputName;
        } else {
            // The output takes the encrypted file's own name: written aside first.
            workFile_ = true;
            targetPath_ = context_.SourceDir + TempName;
        }
    }

    ResultCode WritePlainFile() {
        if (const ResultCode blocks = RunBlockPipeline(*this); blocks != resDone) {
            return blocks;
        }
        std::uint8_t trailer[kTrailerSize];
        if (!ReadAll(trailer, kTrailerSize, source_)) {
            return resIllegalFormat;
        }
        RunDecipher(trailer, kTrailerSize, chain_);
        const std::uint32_t stored = GetLe32(trailer + 4);
        if (!context_.IgnoreCRC32 && ~crc_ != stored) {
            return resCRC32Error;
        }
        // A date the writer could not read (or any invalid one) leaves the current time.
        const std::uint32_t dateTime = GetLe32(info_ + 1);
        std::int64_t unused = 0;
        if (DosDateTimeToUnix(dateTime, unused) && !SetFileDateTime(target_, dateTime)) {
            return resIOError;
        }
        // The encrypted file goes only after the plain file is on the disk; a kept
        // encrypted file needs no such wait.
        const bool encryptedGoes = context_.DestDir.empty() || context_.RemoveOriginal;
        return !encryptedGoes || SyncFile(target_) ? resDone : resIOError;
    }

    // Worker: the next block header and the stored data it announces.
    void Read(std::size_t slot) override {
        StoredSlot& block = slots_[slot];
        block.status = resIllegalFormat;
        std::uint8_t headerBytes[kMaxBlockHeaderSize];
        if (!ReadAll(headerBytes, generation_.blockHeaderSize, source_)) {
            return;
        }
        block.header = DecodeBlockHeader(headerBytes, run_.vlt7Mode);
        if ((run_.vlt7Mode && (block.header.flags & bfLongHeader) != 0) || !PlausibleBlock(block.header, generation_)) {
            return;
        }
        block.padded = PaddedLength(block.header.storedLength);
        if (block.padded != 0 && !ReadAll(block.work, block.padded, source_)) {
            return;
        }
        block.status = resDone;
    }

    ResultCode Transform(std::size_t slot) override {
        StoredSlot& block = slots_[slot];
        if (block.status != resDone || block.padded == 0) {
            return block.status;
        }
        RunDecipher(block.work, block.padded, chain_);
        block.data = block.work;
        if ((block.header.flags & bfCompressed) != 0) {
            if (LzhDecompress(block.work, block.plain, block.header.originalLength, block.padded) !=
                block.header.originalLength) {
                return resDecompressionError;
            }
            block.data = block.plain;
        }
        return resDone;
    }

    // Worker: the CRC-32 over the plain content in block order, then the write.
    void Write(std::size_t slot) override {
        StoredSlot& block = slots_[slot];
        const std::uint32_t length = block.header.originalLength;
        block.written = true;
        if (length > 0) {
            if (!context_.IgnoreCRC32) {
                crc_ = Crc32Update(block.data, length, crc_);
            }
            block.written = SafeWrite(block.data, 1, length, target_) == static_cast<std::int64_t>(length);
        }
    }

    ResultCode Settle(std::size_t slot) override {
        if (!slots_[slot].written) {
            return resIOError;
        }
        host_.ProcessMessages();
        const auto consumed = static_cast<std::int32_t>(generation_.blockHeaderSize + slots_[slot].padded);
        return host_.JobProgress(pkDecrypt, consumed) ? resUserBreak : resDone;
    }

    bool EndsInput(std::size_t slot) const override {
        return slots_[slot].status != resDone || (slots_[slot].header.flags & bfLast) != 0;
    }

    // An empty block carries nothing to write and counts no progress.
    bool HasOutput(std::size_t slot) const override { return slots_[slot].padded != 0; }

    ResultCode Finish() {
        const bool inPlace = context_.DestDir.empty();
        std::string finalPath = targetPath_;
        if (workFile_) {
            // In place under the encrypted file's own name: one atomic step.
            finalPath = sourcePath_;
            if (!SafeReplace(targetPath_, finalPath)) {
                SafeDelete(targetPath_);
                return resFatalError;
            }
        } else if (inPlace || context_.RemoveOriginal) {
            SetAttributes(sourcePath_, 0);
            if (!SafeDelete(sourcePath_) && inPlace) {
                return resFatalError;
            }
        }
        if (context_.RestoreAttributes) {
            SetAttributes(finalPath, info_[0]);
        }
        return resDone;
    }

    TDecryptContext& context_;
    FileOperationHost& host_;
    CryptRun& run_;
    const FormatGeneration& generation_;
    const std::string sourcePath_;
    std::string targetPath_;
    bool workFile_ = false;
    FileHandle source_;
    FileHandle target_;
    ChainingValue chain_{0, 0};
    std::uint32_t crc_ = 0xFFFFFFFF; // kept by the worker until the blocks are done
    std::array<StoredSlot, kBlocksInFlight> slots_;
    std::uint8_t header_[kFileHeaderSize] = {};
    std::uint8_t param_[kParamBlockSize] = {};
    std::uint8_t info_[kInfoBlockSize] = {};
    std::uint8_t name_[kNameBufferSize] = {};
};

} // namespace

ResultCode DecryptOneFile(TDecryptContext& context, FileOperationHost& host) {
    return WithActiveRun<FileDecryption>(context, host);
}

} // namespace vlt
