// A joinable thread with the platform's default stack size.
#pragma once

#include <functional>
#include <memory>

namespace qx::os {

class Thread {
  public:
    Thread();
    ~Thread();  // joins a thread still running
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Starts `body` on a new thread; false when it cannot be created.
    bool Start(std::function<void()> body);
    // Waits until the thread has ended and releases it; nothing when none.
    void Join();
    bool Joinable() const;
    // Lets the thread run on by itself; it releases its resources when it ends.
    void Detach();

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace qx::os
