#pragma once
// The file-state scanner: a background thread that examines the browser's
// unexamined files (kind 1) in browser order and hands each result to the
// user-interface thread through a queue the window drains. It meets the
// user-interface thread only through RunState's ScanRunning / ScanStopRequest, the
// item reads the model allows, and that queue.
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "batch/browser_host.h"
#include "batch/browser_model.h"
#include "batch/file_state.h"
#include "batch/run_state.h"

namespace vlt {

// One examined file. `index` is its row in the listing the scanner was started on.
struct ScanUpdate {
    std::size_t index = 0;
    FileState state;
};

// Results on their way from the scanner thread to the user-interface thread.
class ScanUpdateQueue {
public:
    // Scanner thread. True when the queue was empty before, i.e. the window must be told.
    bool Push(std::vector<ScanUpdate>& batch);
    // User-interface thread: everything waiting, in order.
    std::vector<ScanUpdate> TakeAll();

private:
    std::mutex mutex_;
    std::vector<ScanUpdate> pending_;
};

// The one stop-and-wait handshake of the program, used before every listing, sort,
// run and at shutdown (user-interface thread): when a scanner runs, asks it to stop
// and lets window messages run (`pump`) until it has stopped, which it does after the
// file it is examining. True when a scanner was running.
bool StopScannerAndWait(RunState& state, const std::function<void()>& pump);

class TScanThread {
public:
    explicit TScanThread(RunState& state) : state_(state) {}
    ~TScanThread(); // a scanner still running is stopped (without pumping) and joined
    TScanThread(const TScanThread&) = delete;
    TScanThread& operator=(const TScanThread&) = delete;

    // User-interface thread, with no scanner running: clears ScanStopRequest, sets
    // ScanRunning, and starts the body over `model`'s items in `directory` (ending in
    // "/"). Results go to `queue`; `host.ScanUpdatesPending()` is called when a batch
    // lands in an empty queue.
    void Start(const BrowserModel& model, const std::string& directory, bool vlt7Compat, ScanUpdateQueue& queue,
               BrowserHost& host, FileExaminer examine);
    // Joins a body that has ended (ScanRunning clear); called before the next start.
    void Join();

private:
    void Body(const BrowserModel& model, std::string directory, bool vlt7Compat, ScanUpdateQueue& queue,
              BrowserHost& host, FileExaminer examine);

    RunState& state_;
    std::thread thread_;
};

} // namespace vlt
