#include "batch/scan_thread.h"

#include <chrono>

namespace vlt {

namespace {

// Results travel in batches, so that 100,000 files cost the window a few hundred
// wake-ups, and still often enough that the icons change while the user looks.
constexpr std::size_t kBatchLimit = 512;
constexpr auto kBatchInterval = std::chrono::milliseconds(25);
constexpr auto kStopPollInterval = std::chrono::microseconds(200);

} // namespace

bool ScanUpdateQueue::Push(std::vector<ScanUpdate>& batch) {
    const std::lock_guard<std::mutex> lock(mutex_);
    const bool wasEmpty = pending_.empty();
    if (wasEmpty) {
        pending_.swap(batch);
    } else {
        pending_.insert(pending_.end(), std::make_move_iterator(batch.begin()), std::make_move_iterator(batch.end()));
    }
    batch.clear();
    return wasEmpty;
}

std::vector<ScanUpdate> ScanUpdateQueue::TakeAll() {
    std::vector<ScanUpdate> taken;
    const std::lock_guard<std::mutex> lock(mutex_);
    taken.swap(pending_);
    return taken;
}

bool StopScannerAndWait(RunState& state, const std::function<void()>& pump) {
    if (!state.ScanRunning) {
        return false;
    }
    state.ScanStopRequest = true;
    while (state.ScanRunning) {
        pump();
        std::this_thread::sleep_for(kStopPollInterval);
    }
    return true;
}

TScanThread::~TScanThread() {
    if (thread_.joinable()) {
        state_.ScanStopRequest = true;
        thread_.join();
    }
}

void TScanThread::Start(const BrowserModel& model, const std::string& directory, bool vlt7Compat,
                        ScanUpdateQueue& queue, BrowserHost& host, FileExaminer examine) {
    Join();
    state_.ScanStopRequest = false;
    // Set before the thread runs, so that a stop that follows at once waits for it.
    state_.ScanRunning = true;
    thread_ = std::thread(&TScanThread::Body, this, std::cref(model), directory, vlt7Compat, std::ref(queue),
                          std::ref(host), std::move(examine));
}

void TScanThread::Join() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

void TScanThread::Body(const BrowserModel& model, std::string directory, bool vlt7Compat, ScanUpdateQueue& queue,
                       BrowserHost& host, FileExaminer examine) {
    std::vector<ScanUpdate> batch;
    auto lastFlush = std::chrono::steady_clock::now();
    const auto flush = [&] {
        if (!batch.empty() && queue.Push(batch)) {
            host.ScanUpdatesPending();
        }
        lastFlush = std::chrono::steady_clock::now();
    };
    const OpenDirectory files(std::move(directory));
    for (std::size_t i = 0; i < model.Count(); ++i) {
        const BrowserItem& item = model.Item(i);
        if (item.kind == ikFile) {
            batch.push_back({i, FileStateOf(examine(files, item.name), vlt7Compat)});
            if (batch.size() >= kBatchLimit || std::chrono::steady_clock::now() - lastFlush >= kBatchInterval) {
                flush();
            }
        }
        if (state_.ScanStopRequest) {
            state_.ScanStopRequest = false;
            break;
        }
    }
    flush();
    state_.ScanRunning = false;
}

} // namespace vlt
