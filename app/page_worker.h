// One background job of a page at a time, on a thread of its own. The job
// builds its result on the heap and posts it to the page's window; the window
// thread takes it over with Finish. The job never touches a window and never
// waits for the window thread, so the window thread may wait for the job at
// any moment (Finish, Discard) without a deadlock.
#pragma once

#include <windows.h>

#include <memory>
#include <system_error>
#include <thread>
#include <utility>

template <class Result>
class CPageWorker {
  public:
    // doneMessage: the page's private message that carries a result.
    explicit CPageWorker(UINT doneMessage) : m_doneMessage(doneMessage) {}
    ~CPageWorker() {
        if (m_thread.joinable()) m_thread.join();
    }
    CPageWorker(const CPageWorker&) = delete;
    CPageWorker& operator=(const CPageWorker&) = delete;

    UINT DoneMessage() const { return m_doneMessage; }
    // From Start until the window thread has finished with the result.
    bool IsBusy() const { return m_busy; }

    // Runs job (a callable returning a non-null std::unique_ptr<Result>) on a
    // new thread whose result goes to window as the done message. False, with
    // nothing started, while a job is busy or when no thread can be made.
    template <class Job>
    bool Start(HWND window, Job job) {
        if (m_busy) return false;  // and so the previous thread has been joined
        try {
            m_thread =
                std::thread([window, message = m_doneMessage, job = std::move(job)]() mutable {
                    std::unique_ptr<Result> result = job();
                    // The post fails once the window is gone: the result goes too.
                    if (::PostMessageW(window, message, 0, reinterpret_cast<LPARAM>(result.get())))
                        result.release();
                });
        } catch (const std::system_error&) {
            return false;
        }
        m_busy = true;
        return true;
    }

    // On the done message: waits for the thread's last instructions, hands the
    // result to handle, and accepts a new job only afterwards, so that nothing
    // handle runs (a message box's own message loop) starts a second one.
    template <class Handler>
    void Finish(LPARAM posted, Handler handle) {
        std::unique_ptr<Result> result(reinterpret_cast<Result*>(posted));
        if (m_thread.joinable()) m_thread.join();
        if (result) handle(*result);
        m_busy = false;
    }

    // When the page's window is being destroyed: waits for a running job and
    // frees a result that was posted but not yet taken over.
    void Discard(HWND window) {
        if (m_thread.joinable()) m_thread.join();
        MSG message;
        while (::PeekMessageW(&message, window, m_doneMessage, m_doneMessage, PM_REMOVE))
            delete reinterpret_cast<Result*>(message.lParam);
        m_busy = false;
    }

  private:
    UINT m_doneMessage;
    bool m_busy = false;
    std::thread m_thread;
};
