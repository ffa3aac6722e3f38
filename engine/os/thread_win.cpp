#include <windows.h>

#include "os/thread.h"

namespace qx::os {

struct Thread::State {
    HANDLE handle = nullptr;
};

namespace {

DWORD WINAPI RunBody(void* argument) {
    std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(argument));
    (*body)();
    return 0;
}

}  // namespace

Thread::Thread() : state_(std::make_unique<State>()) {}
Thread::~Thread() {
    Join();
}

bool Thread::Start(std::function<void()> body) {
    auto* argument = new (std::nothrow) std::function<void()>(std::move(body));
    if (argument == nullptr) return false;
    // Suspended until the handle is stored, so that the body sees it set.
    state_->handle = CreateThread(nullptr, 0, RunBody, argument, CREATE_SUSPENDED, nullptr);
    if (state_->handle == nullptr) {
        delete argument;
        return false;
    }
    ResumeThread(state_->handle);
    return true;
}

void Thread::Join() {
    if (state_->handle == nullptr) return;
    WaitForSingleObject(state_->handle, INFINITE);
    CloseHandle(state_->handle);
    state_->handle = nullptr;
}

bool Thread::Joinable() const {
    return state_->handle != nullptr;
}

void Thread::Detach() {
    if (state_->handle != nullptr) CloseHandle(state_->handle);
    state_->handle = nullptr;
}

}  // namespace qx::os
