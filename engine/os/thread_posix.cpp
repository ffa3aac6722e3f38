#include <mutex>
#include <thread>

#include "os/thread.h"

namespace qx::os {

struct Thread::State {
    std::thread thread;
    std::mutex starting;  // held until `thread` is stored, so the body sees it set
};

Thread::Thread() : state_(std::make_unique<State>()) {}
Thread::~Thread() {
    Join();
}

bool Thread::Start(std::function<void()> body) {
    try {
        std::lock_guard<std::mutex> lock(state_->starting);
        State* state = state_.get();
        state_->thread = std::thread([state, body = std::move(body)] {
            { std::lock_guard<std::mutex> stored(state->starting); }
            body();
        });
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void Thread::Join() {
    if (state_->thread.joinable()) state_->thread.join();
}

bool Thread::Joinable() const {
    return state_->thread.joinable();
}

void Thread::Detach() {
    if (state_->thread.joinable()) state_->thread.detach();
}

}  // namespace qx::os
