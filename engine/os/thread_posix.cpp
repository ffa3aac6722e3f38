#include <thread>

#include "os/thread.h"

namespace qx::os {

struct Thread::State {
    std::thread thread;
};

Thread::Thread() : state_(std::make_unique<State>()) {}
Thread::~Thread() {
    Join();
}

bool Thread::Start(std::function<void()> body) {
    try {
        state_->thread = std::thread(std::move(body));
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
