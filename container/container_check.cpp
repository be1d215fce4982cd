#include "container/container_check.h"

#include "container/block_pipeline.h"
#include "support/crc.h"

#include <array>

namespace vlt {
namespace {

class ContainerCheckRun final : private BlockStages {
public:
    ContainerCheckRun(ByteSource& source, CryptRun& run, const ContainerCheckOptions& options)
        : options_(options), generation_(run.Generation()), reader_(source, run, options.useThreads) {
        for (std::size_t i = 0; i < kBlocksInFlight; ++i) {
            blocks_[i].UseSlot(run, i);
        }
    }

    ResultCode Run(ContainerCheck& check) {
        if (const ResultCode prologue = reader_.ReadPrologue(); prologue != resDone) {
            return prologue;
        }
        const PipelineThreads threads =
            options_.useThreads ? PipelineThreads::WithWorker : PipelineThreads::CallerOnly;
        if (const ResultCode blocks = RunBlockPipeline(*this, threads); blocks != resDone) {
            return blocks;
        }
        if (const ResultCode trailer = reader_.CheckTrailer(crc_, false); trailer != resDone) {
            return trailer;
        }
        check.storedName = reader_.StoredName();
        check.contentCrc = ~crc_;
        check.contentSize = size_;
        return resDone;
    }

private:
    void Read(std::size_t slot) override { reader_.ReadBlock(blocks_[slot]); }

    ResultCode Transform(std::size_t slot) override { return reader_.DecodeBlock(blocks_[slot]); }

    // Worker: the CRC-32 in block order, beside the next decipher.
    void Write(std::size_t slot) override {
        const ContainerBlock& block = blocks_[slot];
        crc_ = Crc32Update(block.data, block.header.originalLength, crc_);
        size_ += block.header.originalLength;
    }

    ResultCode Settle(std::size_t slot) override {
        if (options_.host == nullptr) {
            return resDone;
        }
        options_.host->ProcessMessages();
        const auto consumed = static_cast<std::int32_t>(generation_.blockHeaderSize + blocks_[slot].padded);
        return options_.reportProgress && options_.host->JobProgress(pkDecrypt, consumed) ? resUserBreak : resDone;
    }

    bool EndsInput(std::size_t slot) const override { return blocks_[slot].EndsInput(); }

    bool HasOutput(std::size_t slot) const override { return blocks_[slot].padded != 0; }

    const ContainerCheckOptions& options_;
    const FormatGeneration& generation_;
    ContainerReader reader_;
    std::array<ContainerBlock, kBlocksInFlight> blocks_;
    std::uint32_t crc_ = 0xFFFFFFFF; // kept by the worker until the blocks are done
    std::uint64_t size_ = 0;
};

} // namespace

ResultCode CheckContainer(ByteSource& source, const ContainerCheckOptions& options, ContainerCheck& check) {
    CryptRun* run = ActiveCryptRun();
    return run == nullptr ? resFatalError : ContainerCheckRun(source, *run, options).Run(check);
}

} // namespace vlt
