#include "session.h"

#include "rules/rule_sets.h"

namespace qx {
namespace {

thread_local const Worker* current_worker = nullptr;

}  // namespace

const RuleSetTable kRuleSets = {CheckAspFile, CheckAspxFile, CheckPhpFile, CheckJspFile};

bool Worker::IsCurrent() const {
    return current_worker == this;
}

bool Worker::Start(std::function<void()> run) {
    if (running_.load()) return false;  // checked before the lock: a callback may be asking
    std::lock_guard<std::mutex> lock(control_);
    if (running_.load()) return false;
    thread_.Join();  // the previous run's thread has ended; release it
    // Cleared here rather than by the worker, so that a stop requested right
    // after a successful start is honoured.
    stop_flag_.store(0);
    running_.store(true);
    const bool started = thread_.Start([this, run = std::move(run)] {
        current_worker = this;
        run();
        stop_flag_.store(1);
        if (release_) {
            // The session is closed from its own callback: nobody waits for
            // this thread, and `this` is gone once `release` has run.
            std::function<void()> release = std::move(release_);
            // The start that began this run may still be leaving its lock.
            { std::lock_guard<std::mutex> started(control_); }
            thread_.Detach();
            running_.store(false);
            release();
            return;
        }
        running_.store(false);
    });
    if (!started) {
        running_.store(false);
        stop_flag_.store(1);
    }
    return started;
}

void Worker::Stop() {
    if (IsCurrent()) {
        stop_flag_.exchange(1);
        return;
    }
    std::lock_guard<std::mutex> lock(control_);
    if (!thread_.Joinable()) return;
    stop_flag_.exchange(1);
    thread_.Join();
}

void Worker::Wait() {
    if (IsCurrent()) return;
    std::lock_guard<std::mutex> lock(control_);
    thread_.Join();
}

bool Worker::ReleaseWhenDone(std::function<void()> release) {
    if (!IsCurrent()) return false;
    stop_flag_.exchange(1);
    release_ = std::move(release);
    return true;
}

}  // namespace qx
