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
#include "support/file_access_staged.h"
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
        if (!source_.IsOpen() || !StatHandle(source_, sourceInfo_)) {
            (void)SafeClose(source_);
            return resIOError;
        }
        if (const ResultCode opened = ReadPrologueAndOpenTarget(); opened != resDone) {
            return SafeClose(source_) ? opened : resFatalError;
        }
        const ResultCode written = WritePlainFile();
        if (!SafeClose(source_)) {
            output_.Discard();
            return resFatalError;
        }
        if (!output_.Close()) {
            output_.Discard();
            return resFatalError;
        }
        if (written != resDone) {
            return output_.Discard() ? written : resFatalError;
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

        const bool sameName = targetPath_ == sourcePath_;
        if (sameName && !context_.DestDir.empty()) {
            return resIOError; // the encrypted file cannot be its own output
        }
        // In place under its own name the plain file replaces the encrypted one;
        // anything else that exists is asked about, or refused when this run wrote it.
        replaceTarget_ = sameName;
        if (!sameName && FileExistsAny(targetPath_)) {
            if (host_.WrittenThisRun(targetPath_)) {
                context_.TargetWrittenThisRun = true;
                return resSkipped;
            }
            if (context_.WarnOverwrite) {
                if (const ResultCode answer = AskOverwrite(host_, targetPath_); answer != resDone) {
                    return answer;
                }
            }
            replaceTarget_ = true;
        }
        // Nothing appears under the target name before the plain file is complete.
        if (!output_.Create(targetPath_, TempName)) {
            return resIOError;
        }
        const mode_t mode = context_.RestoreAttributes ? ModeWithAttributes(sourceInfo_.st_mode, info_[0])
                                                       : sourceInfo_.st_mode;
        output_.TakeModeOf(sourceInfo_, mode);
        return resDone;
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
        targetPath_ = (context_.DestDir.empty() ? context_.SourceDir : context_.DestDir) + outputName;
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
        // On the disk, and with its mode and owner, before it takes its name.
        return output_.Sync() ? resDone : resIOError;
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

    // The plain file takes its name in one step, then the encrypted file goes.
    ResultCode Finish() {
        const bool inPlace = context_.DestDir.empty();
        if (!output_.Publish(replaceTarget_)) {
            output_.Discard();
            return inPlace ? resFatalError : resIOError;
        }
        if (targetPath_ != sourcePath_ && (inPlace || context_.RemoveOriginal)) {
            if (!SafeDelete(sourcePath_) && inPlace) {
                return resFatalError;
            }
        }
        return resDone;
    }

    TDecryptContext& context_;
    FileOperationHost& host_;
    CryptRun& run_;
    const FormatGeneration& generation_;
    const std::string sourcePath_;
    std::string targetPath_;
    bool replaceTarget_ = false; // the target name holds a file the output may replace
    FileHandle source_;
    struct stat sourceInfo_ {};
    StagedOutput output_;
    FileHandle& target_ = output_.Handle();
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
