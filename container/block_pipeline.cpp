#include "container/block_pipeline.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

namespace vlt {
namespace {

// The worker's part of one step.
struct IoRequest {
    std::optional<std::size_t> write;
    std::optional<std::size_t> read;

    [[nodiscard]] bool Empty() const { return !write && !read; }
};

// The worker thread of one file; started at the first step with I/O to overlap.
class IoWorker {
public:
    IoWorker(BlockStages& stages, PipelineThreads threads)
        : stages_(stages), threaded_(threads == PipelineThreads::WithWorker) {}

    ~IoWorker() {
        if (!thread_.joinable()) {
            return;
        }
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }

    IoWorker(const IoWorker&) = delete;
    IoWorker& operator=(const IoWorker&) = delete;

    // Runs the request on the worker while `compute` runs here; both are done on
    // return. Without a worker thread the request runs here first.
    template <class Compute> void Overlap(const IoRequest& request, Compute&& compute) {
        if (request.Empty() || !Started()) {
            Serve(request);
            compute();
            return;
        }
        {
            const std::lock_guard lock(mutex_);
            request_ = request;
            busy_ = true;
        }
        changed_.notify_all();
        const WaitOnExit wait{*this};
        compute();
    }

private:
    // The worker may use the caller's slots only until the step ends, however it ends.
    struct WaitOnExit {
        IoWorker& worker;
        ~WaitOnExit() {
            std::unique_lock lock(worker.mutex_);
            worker.changed_.wait(lock, [this] { return !worker.busy_; });
        }
    };

    bool Started() {
        if (!threaded_) {
            return false;
        }
        if (!thread_.joinable()) {
            try {
                thread_ = std::thread([this] { Loop(); });
            } catch (const std::system_error&) {
                return false;
            }
        }
        return true;
    }

    void Serve(const IoRequest& request) {
        if (request.write) {
            stages_.Write(*request.write);
        }
        if (request.read) {
            stages_.Read(*request.read);
        }
    }

    void Loop() {
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [this] { return busy_ || stopping_; });
            if (!busy_) {
                return;
            }
            const IoRequest request = request_;
            lock.unlock();
            Serve(request);
            lock.lock();
            busy_ = false;
            changed_.notify_all();
        }
    }

    BlockStages& stages_;
    const bool threaded_;
    std::mutex mutex_;
    std::condition_variable changed_;
    IoRequest request_;
    bool busy_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace

ResultCode RunBlockPipeline(BlockStages& stages, PipelineThreads threads) {
    IoWorker worker(stages, threads);
    std::optional<std::size_t> unsettled;
    std::size_t current = 0;
    stages.Read(current);
    for (;;) {
        const std::size_t next = (current + 1) % kBlocksInFlight;
        IoRequest request{unsettled, std::nullopt};
        if (!stages.EndsInput(current)) {
            request.read = next;
        }
        ResultCode transformed = resDone;
        worker.Overlap(request, [&] { transformed = stages.Transform(current); });
        if (unsettled) {
            if (const ResultCode settled = stages.Settle(*unsettled); settled != resDone) {
                return settled;
            }
            unsettled.reset();
        }
        if (transformed != resDone) {
            return transformed;
        }
        if (stages.HasOutput(current)) {
            unsettled = current;
        }
        if (stages.EndsInput(current)) {
            break;
        }
        current = next;
    }
    if (!unsettled) {
        return resDone;
    }
    stages.Write(*unsettled);
    return stages.Settle(*unsettled);
}

} // namespace vlt
