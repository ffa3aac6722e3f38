// The two session kinds behind the interface's opaque handles, and the run
// machinery they share.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "code_cleaner.h"
#include "engine_types.h"
#include "os/thread.h"
#include "quellix.h"

namespace qx {

// One run at a time on one worker thread. The stop flag is 1 while no walk
// runs or a stop was requested, 0 while a walk runs; it is the only value
// that both the caller's threads and the worker write during a run.
class Worker {
  public:
    Worker() = default;
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;
    ~Worker() { Stop(); }

    // Starts `run` (the walk and the end-of-run event) on a new thread. False
    // while a run is in progress (also from inside the end-of-run callback)
    // or when the thread cannot be created.
    bool Start(std::function<void()> run);
    // Requests a stop and waits until the worker has ended; at once when idle.
    void Stop();
    // Waits until the worker has ended without asking it to stop.
    void Wait();
    // Closing a session from inside its own callback cannot wait for the
    // worker (the caller is the worker): the stop is requested and `release`
    // runs as the worker's last act instead. False on any other thread.
    bool ReleaseWhenDone(std::function<void()> release);

    bool StopRequested() const { return stop_flag_.load(std::memory_order_relaxed) != 0; }
    bool Running() const { return running_.load(); }

  private:
    bool IsCurrent() const;

    std::atomic<std::int32_t> stop_flag_{1};
    std::atomic<bool> running_{false};
    std::mutex control_;  // serialises start and stop among the caller's threads
    os::Thread thread_;
    std::function<void()> release_;
};

struct RuleSetTable {
    RuleSetEntry asp, aspx, php, jsp;
};
extern const RuleSetTable kRuleSets;

struct ScanSession {
    Worker worker;
    std::atomic<int> check_asp{0}, check_aspx{0}, check_php{0}, check_jsp{0};
    std::atomic<QxScanCallbackW> callback_w{nullptr};
    std::atomic<QxScanCallbackA> callback_a{nullptr};
    std::u16string root_path;
    std::atomic<int> files_examined{0}, suspicious_count{0}, dangerous_count{0}, trojan_count{0};
    const RuleSetTable* rules = &kRuleSets;  // tests route to rule sets of their own
};

struct CleanSession {
    Worker worker;
    CleanCode clean_code;
    std::atomic<QxCleanCallbackW> callback_w{nullptr};
    std::atomic<QxCleanCallbackA> callback_a{nullptr};
    std::u16string root_path;
    std::atomic<int> files_visited{0}, cleaned_count{0}, failed_count{0};
};

}  // namespace qx
