#include "container/encrypt_file.h"

#include "wipe/wipe.h"
#include "container/block_pipeline.h"
#include "container/crypt_run.h"
#include "container/format.h"
#include "support/little_endian.h"
#include "container/overwrite_question.h"
#include "container/read_back.h"
#include "support/crc.h"
#include "support/file_access.h"
#include "support/file_access_staged.h"
#include "support/lzh/lzh_codec.h"
#include "support/random.h"

#include <algorithm>
#include <array>
#include <limits>
#include <unistd.h>

namespace vlt {
namespace {

// Random output names are drawn until one is free; a name that exists is never
// overwritten.
constexpr int kNameAttempts = 64;

// Header area: file header, parameter block, info block, padded name.
constexpr std::size_t kPrologueSize = kFileHeaderSize + kParamBlockSize + kInfoBlockSize;

std::string RandomOutputName(const TEncryptContext& context) {
    std::string name = RandomName(8);
    const std::size_t dot = context.FileName.rfind('.');
    if (!context.KeepExtension) {
        name += '.';
        name += RandomName(3);
    } else if (dot != std::string::npos && dot + 1 < context.FileName.size()) {
        name += context.FileName.substr(dot);
    }
    return name;
}

void FillPadding(std::uint8_t* from, std::uint8_t* to, bool zero) {
    for (std::uint8_t* p = from; p < to; ++p) {
        *p = zero ? 0 : RandomByte();
    }
}

[[nodiscard]] bool WriteAll(const void* data, std::size_t length, FileHandle& file) {
    return SafeWrite(data, 1, length, file) == static_cast<std::int64_t>(length);
}

[[nodiscard]] int CompressionRatioOf(std::uint64_t written, std::uint64_t read) {
    if (written > read || read == 0) {
        return 100;
    }
    const std::uint64_t ratio = written < 20000000 ? written * 100 / read : written / (read / 100);
    return static_cast<int>(std::min<std::uint64_t>(ratio, 100));
}

std::int32_t ProgressAmount(std::uint64_t bytes) {
    return static_cast<std::int32_t>(std::min<std::uint64_t>(bytes, std::numeric_limits<std::int32_t>::max()));
}

// One plain block on its way into the container, in a slot of the run's buffers.
struct PlainSlot {
    std::uint8_t* plain = nullptr;
    std::uint8_t* work = nullptr;
    std::int64_t got = 0; // bytes read; -1 when the read failed
    std::uint8_t headerBytes[kMaxBlockHeaderSize] = {};
    std::size_t headerSize = 0;
    const std::uint8_t* data = nullptr; // the enciphered, padded data
    std::uint32_t padded = 0;
    bool written = false;
};

// The per-file state of one encryption: which file is written where, and the
// attribute change that failure paths undo.
class FileEncryption final : private BlockStages {
public:
    FileEncryption(TEncryptContext& context, FileOperationHost& host, CryptRun& run)
        : context_(context), host_(host), run_(run), generation_(run.Generation()),
          sourcePath_(context.SourceDir + context.FileName), inPlace_(context.DestDir.empty()) {
        for (std::size_t i = 0; i < kBlocksInFlight; ++i) {
            slots_[i].plain = run.blocks[i].readBuffer.Data();
            slots_[i].work = run.blocks[i].workBuffer.Data();
        }
    }

    ~FileEncryption() {
        SecureZero(prologue_, sizeof prologue_);
        SecureZero(&chain_, sizeof chain_);
    }

    ResultCode Run() {
        if (const ResultCode chosen = ChooseTarget(); chosen != resDone) {
            return chosen;
        }
        if (!GetAttributes(sourcePath_, savedAttributes_)) {
            return resIOError;
        }
        if (inPlace_ && (savedAttributes_ & (faHidden | faSystem)) != 0) {
            if (!SetAttributes(sourcePath_, faArchive)) {
                return resAccessDenied;
            }
            attributesChanged_ = true;
        }
        if (!context_.EncryptAgain) {
            const CheckResult check = CheckEncrypted(sourcePath_);
            if (check.code != ceNotEncrypted) {
                RestoreAttributes();
                return check.code == ceEncrypted ? resAlreadyEncrypted : resIOError;
            }
        }
        source_ = SafeOpen(sourcePath_, omRead);
        if (!source_.IsOpen() || !StatHandle(source_, sourceInfo_)) {
            (void)SafeClose(source_);
            RestoreAttributes();
            return resAccessDenied;
        }
        // Nothing appears under the target name before the encrypted file is complete.
        if (!output_.Create(targetPath_, TempName)) {
            if (!SafeClose(source_)) {
                return resFatalError;
            }
            RestoreAttributes();
            return resIOError;
        }
        output_.TakeModeOf(sourceInfo_, sourceInfo_.st_mode);
        ResultCode written = WriteContainer();
        if (written == resDone && context_.VerifyOutput && RemovesOriginal()) {
            written = ReadBackContainer(target_, ExpectedOutput(), host_);
        }
        if (const ResultCode closed = CloseFiles(written); closed != resDone) {
            return closed;
        }
        return Finish();
    }

private:
    ResultCode ChooseTarget() {
        const std::string& directory = inPlace_ ? context_.SourceDir : context_.DestDir;
        if (context_.RenameOutput) {
            for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
                context_.NewName = RandomOutputName(context_);
                targetPath_ = directory + context_.NewName;
                if (!FileExistsAny(targetPath_) && !host_.WrittenThisRun(targetPath_)) {
                    return resDone;
                }
            }
            context_.NewName.clear();
            return resIOError;
        }
        // In place the result replaces the original under its own name; anything else
        // is replaced only when it was there (and allowed to go) before the run wrote.
        targetPath_ = inPlace_ ? sourcePath_ : context_.DestDir + context_.FileName;
        replaceTarget_ = inPlace_;
        if (!inPlace_ && FileExistsAny(targetPath_)) {
            // A file this run has written is never replaced, whatever the answer would be.
            if (host_.WrittenThisRun(targetPath_)) {
                context_.TargetWrittenThisRun = true;
                return resSkipped;
            }
            if (context_.WarnOverwrite) {
                if (const ResultCode answer = AskOverwrite(host_, context_.FileName); answer != resDone) {
                    return answer;
                }
            }
            replaceTarget_ = true;
        }
        return resDone;
    }

    bool RestoreAttributes() { return !attributesChanged_ || SetAttributes(sourcePath_, savedAttributes_); }

    // Header, parameter block, info block and name, enciphered where the format says.
    std::size_t BuildPrologue() {
        const bool zero = context_.ZeroCBC;
        chain_ = zero ? ChainingValue{0, 0} : ChainingValue{RandomDword(), RandomDword()};

        std::uint8_t* header = prologue_;
        std::uint8_t* param = header + kFileHeaderSize;
        std::uint8_t* info = param + kParamBlockSize;
        std::uint8_t* name = info + kInfoBlockSize;

        std::uint32_t dateTime = kInvalidDosDateTime;
        if (!GetFileDateTime(source_, dateTime)) {
            dateTime = kInvalidDosDateTime;
        }
        info[0] = static_cast<std::uint8_t>(savedAttributes_);
        PutLe32(info + 1, dateTime);
        info[6] = zero ? 0 : RandomByte();
        info[7] = zero ? 0 : RandomByte();

        PutLe16(header, generation_.generationWord);
        PutLe32(header + 2, FormatMagic);
        header[6] = kParamBlockLength;

        std::uint32_t paddedName = 0;
        if (context_.StoreFileName && !context_.FileName.empty()) {
            const std::size_t length = std::min(context_.FileName.size(), kMaxStoredNameLength);
            std::copy_n(context_.FileName.begin(), length, name);
            paddedName = PaddedLength(static_cast<std::uint32_t>(length));
            FillPadding(name + length, name + paddedName, zero);
            info[5] = static_cast<std::uint8_t>(length);
        } else {
            info[5] = 0;
        }

        param[0] = 0x01;
        param[1] = 0x08;
        param[2] = 0x08;
        PutLe16(param + 3, Crc16Update(info, kInfoBlockSize, 0));
        param[5] = static_cast<std::uint8_t>(kInfoBlockSize);
        PutLe32(param + 6, chain_.c0);
        PutLe32(param + 10, chain_.c1);

        RunEncipher(info, kInfoBlockSize, chain_);
        RunEncipher(name, paddedName, chain_);
        return kPrologueSize + paddedName;
    }

    // The prologue, the blocks and the trailer; the first failure is the result.
    ResultCode WriteContainer() {
        const std::size_t prologueLength = BuildPrologue();
        if (!WriteAll(prologue_, prologueLength, target_)) {
            return resIOError;
        }
        writtenTotal_ = prologueLength;
        if (host_.JobProgress(pkEncrypt, 0)) {
            return resUserBreak;
        }
        if (const ResultCode blocks = RunBlockPipeline(*this); blocks != resDone) {
            return blocks;
        }
        std::uint8_t trailer[kTrailerSize];
        PutLe32(trailer, static_cast<std::uint32_t>(readTotal_)); // the format keeps the low 32 bits
        PutLe32(trailer + 4, ~crc_);
        RunEncipher(trailer, kTrailerSize, chain_);
        if (!WriteAll(trailer, kTrailerSize, target_)) {
            return resIOError;
        }
        if (context_.KeepDateTime) {
            std::uint32_t dateTime = 0;
            if (GetFileDateTime(source_, dateTime)) {
                (void)SetFileDateTime(target_, dateTime);
            }
        }
        // On the disk, and with the original's mode and owner, before it takes its name.
        return output_.Sync() ? resDone : resIOError;
    }

    // Worker: the next block, and the CRC-32 over the plain content in block order.
    void Read(std::size_t slot) override {
        PlainSlot& block = slots_[slot];
        block.got = SafeRead(block.plain, 1, generation_.readBufferSize, source_);
        if (block.got > 0) {
            crc_ = Crc32Update(block.plain, static_cast<std::uint32_t>(block.got), crc_);
        }
    }

    ResultCode Transform(std::size_t slot) override {
        PlainSlot& block = slots_[slot];
        if (block.got < 0) {
            return resIOError;
        }
        const auto n = static_cast<std::uint32_t>(block.got);
        readTotal_ += n;
        BlockHeader header;
        header.originalLength = n;
        header.storedLength = n;
        if (n < generation_.readBufferSize) {
            header.flags |= bfLast;
        }
        std::uint8_t* data = block.plain;
        if (n > 0 && context_.Compress) {
            // Room for the padding stays free; a block that would not fit is stored.
            const std::int64_t packed = LzhCompress(block.plain, n, block.work, generation_.workBufferSize - 7);
            if (packed != kLzhOverflow && (packed < n || context_.ForceCompression)) {
                data = block.work;
                header.flags |= bfCompressed;
                header.storedLength = static_cast<std::uint32_t>(packed);
            }
        }
        block.padded = PaddedLength(header.storedLength);
        FillPadding(data + header.storedLength, data + block.padded, context_.ZeroCBC);
        RunEncipher(data, block.padded, chain_);
        block.data = data;
        block.headerSize = EncodeBlockHeader(header, run_.vlt7Mode, block.headerBytes);
        writtenTotal_ += block.headerSize + block.padded;
        return resDone;
    }

    void Write(std::size_t slot) override {
        PlainSlot& block = slots_[slot];
        block.written =
            WriteAll(block.headerBytes, block.headerSize, target_) && WriteAll(block.data, block.padded, target_);
    }

    ResultCode Settle(std::size_t slot) override {
        if (!slots_[slot].written) {
            return resIOError;
        }
        host_.ProcessMessages();
        return host_.JobProgress(pkEncrypt, static_cast<std::int32_t>(slots_[slot].got)) ? resUserBreak : resDone;
    }

    // A short read is the last block (possibly empty).
    bool EndsInput(std::size_t slot) const override { return slots_[slot].got != generation_.readBufferSize; }

    bool HasOutput(std::size_t) const override { return true; }

    // Closes both files; a failure removes the target and restores the source. An
    // original that is to be wiped stays open (a second handle to it keeps the lock),
    // so that its blocks can be overwritten once its name holds the result.
    ResultCode CloseFiles(ResultCode written) {
        if (!output_.Close()) {
            (void)SafeClose(source_);
            output_.Discard();
            RestoreAttributes();
            return resFatalError;
        }
        if (written == resDone && WipePlanned()) {
            original_ = FileHandle(dup(source_.Descriptor()));
        }
        if (!SafeClose(source_)) {
            output_.Discard();
            RestoreAttributes();
            return resFatalError;
        }
        if (written != resDone) {
            if (!output_.Discard()) {
                RestoreAttributes();
                return resFatalError;
            }
            return RestoreAttributes() ? written : resFatalError;
        }
        return resDone;
    }

    // The content read from the original, as a decryption of the output must give it.
    ExpectedContent ExpectedOutput() const {
        ExpectedContent expected{~crc_, readTotal_, {}};
        if (context_.StoreFileName) {
            expected.storedName = context_.FileName.substr(0, kMaxStoredNameLength);
        }
        return expected;
    }

    bool RemovesOriginal() const { return inPlace_ || context_.RemoveOriginal; }
    bool WipePlanned() const { return RemovesOriginal() && context_.WipeOriginal; }
    int OtherLinks() const { return sourceInfo_.st_nlink > 1 ? static_cast<int>(sourceInfo_.st_nlink - 1) : 0; }

    // The encrypted file is complete: it takes its name, then the original goes
    // (wiped through its open handle where asked). At every moment the original's
    // name holds either the original or the complete result.
    ResultCode Finish() {
        const bool replaceInPlace = inPlace_ && !context_.RenameOutput;
        if (!output_.Publish(replaceTarget_)) {
            output_.Discard();
            RestoreAttributes();
            return inPlace_ ? resFatalError : resIOError;
        }
        if (context_.Compress) {
            context_.CompressionRatio = CompressionRatioOf(writtenTotal_, readTotal_);
        }
        if (!RemovesOriginal()) {
            return resDone;
        }
        // Other names of the original keep its plain content; wiping it would
        // overwrite them too, so it is refused.
        context_.OtherLinks = OtherLinks();
        const bool wipe = context_.WipeOriginal && context_.OtherLinks == 0 && original_.IsOpen();
        ResultCode result = context_.WipeOriginal && !wipe ? resWipingFailed : resDone;
        if (!replaceInPlace) {
            if (context_.WipeOriginal && !wipe && !inPlace_) {
                return result; // the original stays where it is
            }
            const bool removed = wipe ? RemoveNameOf(sourcePath_, Identity()) : SafeDelete(sourcePath_);
            if (!removed) {
                return inPlace_ ? resFatalError : (wipe ? resWipingFailed : result);
            }
        }
        if (wipe && WipeOriginal() != WipeOutcome::Wiped) {
            result = resWipingFailed;
        }
        return result;
    }

    FileIdentity Identity() const {
        return {static_cast<std::uint64_t>(sourceInfo_.st_dev), static_cast<std::uint64_t>(sourceInfo_.st_ino)};
    }

    // The wiping's progress reaches the job driver as pkWipe with the bytes of the
    // current pass; a stopped wipe counts as not done.
    WipeOutcome WipeOriginal() {
        const WipePoll poll = [this](const WipeProgress& progress) {
            return host_.JobProgress(pkWipe, ProgressAmount(progress.bytesThisPass));
        };
        const WipeOutcome outcome =
            WipeDetachedFile(original_.Descriptor(), context_.WipePasses, context_.SfsWiping, poll);
        (void)SafeClose(original_);
        return outcome;
    }

    TEncryptContext& context_;
    FileOperationHost& host_;
    CryptRun& run_;
    const FormatGeneration& generation_;
    const std::string sourcePath_;
    const bool inPlace_;
    std::string targetPath_;
    bool replaceTarget_ = false;
    std::uint16_t savedAttributes_ = 0;
    bool attributesChanged_ = false;
    FileHandle source_;
    struct stat sourceInfo_ {};
    StagedOutput output_;
    FileHandle& target_ = output_.Handle();
    FileHandle original_; // the original to be wiped, kept open past its close
    ChainingValue chain_{0, 0};
    std::uint64_t readTotal_ = 0;
    std::uint64_t writtenTotal_ = 0;
    std::uint32_t crc_ = 0xFFFFFFFF; // kept by the worker until the blocks are done
    std::array<PlainSlot, kBlocksInFlight> slots_;
    std::uint8_t prologue_[kPrologueSize + kNameBufferSize] = {};
};

} // namespace

ResultCode EncryptOneFile(TEncryptContext& context, FileOperationHost& host) {
    return WithActiveRun<FileEncryption>(context, host);
}

} // namespace vlt
