// The engine reports through callbacks without a context pointer, on its
// worker thread; a command keeps its run's state in one static object of this
// kind and waits on it for the end-of-run event.
#pragma once

#include <condition_variable>
#include <mutex>

namespace qx::cli {

class RunWaiter {
  public:
    void Finish() {
        std::lock_guard<std::mutex> lock(mutex_);
        finished_ = true;
        changed_.notify_all();
    }
    void Wait() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return finished_; });
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool finished_ = false;
};

}  // namespace qx::cli
