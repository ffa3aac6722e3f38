#include "interrupt.h"

#include <atomic>
#include <csignal>

#ifdef _WIN32
#include <windows.h>
#endif

namespace qx::cli {
namespace {

// Signal-safe: handlers only store into it.
std::atomic<int> caught{0};
static_assert(std::atomic<int>::is_always_lock_free);

#ifdef _WIN32
BOOL WINAPI OnConsoleEvent(DWORD event) {
    caught.store(event == CTRL_C_EVENT ? SIGINT : SIGTERM);
    // Closing the console ends the process once this returns: give the run
    // a moment to stop first.
    if (event == CTRL_CLOSE_EVENT) Sleep(2000);
    return TRUE;
}
#else
void OnSignal(int signal) {
    caught.store(signal);
}
#endif

}  // namespace

void CatchInterrupts() {
#ifdef _WIN32
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#else
    struct sigaction action {};
    action.sa_handler = OnSignal;
    // Calls under way go on: the run sees the request at its next check.
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A write to a closed pipe fails with EPIPE instead of killing the
    // program in the middle of a page.
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

int InterruptSignal() {
    return caught.load();
}

int InterruptStatus() {
    const int signal = caught.load();
    return signal == 0 ? 0 : 128 + signal;
}

}  // namespace qx::cli
