#include "container/decrypt_file.h"

#include "container/block_pipeline.h"
#include "container/container_reader.h"
#include "container/crypt_run.h"
#include "container/format.h"
#include "container/overwrite_question.h"
#include "container/read_back.h"
#include "container/stored_name.h"
#include "platform/dos_time.h"
#include "support/crc.h"
#include "support/file_access.h"
#include "support/file_access_staged.h"

#include <array>

namespace vlt {
namespace {

// A block of the container and whether its plain content reached the target.
struct StoredSlot {
    ContainerBlock block;
    bool written = false;
};

class FileDecryption final : private BlockStages {
public:
    FileDecryption(TDecryptContext& context, FileOperationHost& host, CryptRun& run)
        : context_(context), host_(host), generation_(run.Generation()),
          sourcePath_(context.SourceDir + context.FileName), reader_(bytes_, run) {
        for (std::size_t i = 0; i < kBlocksInFlight; ++i) {
            slots_[i].block.UseSlot(run, i);
        }
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
        ResultCode written = WritePlainFile();
        if (written == resDone && VerifiesOutput()) {
            written = ReadBackPlainFile(target_, ExpectedContent{~crc_, size_, {}}, host_);
        }
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
        if (const ResultCode prologue = reader_.ReadPrologue(); prologue != resDone) {
            return prologue;
        }
        ChooseTarget(reader_.StoredName());

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
        const mode_t mode = context_.RestoreAttributes ? ModeWithAttributes(sourceInfo_.st_mode, reader_.StoredAttributes())
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
        if (const ResultCode trailer = reader_.CheckTrailer(crc_, context_.IgnoreCRC32); trailer != resDone) {
            return trailer;
        }
        // A date the writer could not read (or any invalid one) leaves the current time.
        const std::uint32_t dateTime = reader_.StoredDateTime();
        std::int64_t unused = 0;
        if (DosDateTimeToUnix(dateTime, unused) && !SetFileDateTime(target_, dateTime)) {
            return resIOError;
        }
        // On the disk, and with its mode and owner, before it takes its name.
        return output_.Sync() ? resDone : resIOError;
    }

    // Worker: the next block header and the stored data it announces.
    void Read(std::size_t slot) override { reader_.ReadBlock(slots_[slot].block); }

    ResultCode Transform(std::size_t slot) override { return reader_.DecodeBlock(slots_[slot].block); }

    // Worker: the CRC-32 over the plain content in block order, then the write.
    void Write(std::size_t slot) override {
        StoredSlot& stored = slots_[slot];
        const ContainerBlock& block = stored.block;
        const std::uint32_t length = block.header.originalLength;
        stored.written = true;
        if (length > 0) {
            if (!context_.IgnoreCRC32 || VerifiesOutput()) {
                crc_ = Crc32Update(block.data, length, crc_);
            }
            size_ += length;
            stored.written = SafeWrite(block.data, 1, length, target_) == static_cast<std::int64_t>(length);
        }
    }

    ResultCode Settle(std::size_t slot) override {
        if (!slots_[slot].written) {
            return resIOError;
        }
        host_.ProcessMessages();
        const auto consumed = static_cast<std::int32_t>(generation_.blockHeaderSize + slots_[slot].block.padded);
        return host_.JobProgress(pkDecrypt, consumed) ? resUserBreak : resDone;
    }

    bool EndsInput(std::size_t slot) const override { return slots_[slot].block.EndsInput(); }

    // An empty block carries nothing to write and counts no progress.
    bool HasOutput(std::size_t slot) const override { return slots_[slot].block.padded != 0; }

    // The encrypted file goes only when its replacement reads back as written.
    bool VerifiesOutput() const {
        return context_.VerifyOutput && (context_.DestDir.empty() || context_.RemoveOriginal);
    }

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
    const FormatGeneration& generation_;
    const std::string sourcePath_;
    std::string targetPath_;
    bool replaceTarget_ = false; // the target name holds a file the output may replace
    FileHandle source_;
    FileSource bytes_{source_};
    ContainerReader reader_;
    struct stat sourceInfo_ {};
    StagedOutput output_;
    FileHandle& target_ = output_.Handle();
    std::uint32_t crc_ = 0xFFFFFFFF; // kept by the worker until the blocks are done
    std::uint64_t size_ = 0;         // plain bytes written, likewise
    std::array<StoredSlot, kBlocksInFlight> slots_;
};

} // namespace

ResultCode DecryptOneFile(TDecryptContext& context, FileOperationHost& host) {
    return WithActiveRun<FileDecryption>(context, host);
}

} // namespace vlt
