// The two session kinds behind the interface's opaque handles. Each holds its
// settings, callbacks and counts, runs one walk at a time on a worker thread
// of its own, and sends the interface's events from that thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "code_cleaner.h"
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

// Frees a session: at once, or as its worker's last act when called from the
// session's own callback.
template <class Session>
void CloseSession(Session* session) {
    if (!session->worker_.ReleaseWhenDone([session] { delete session; })) {
        session->worker_.Stop();
        delete session;
    }
}

class ScanSession {
  public:
    // Any non-zero value switches a family on; read afresh for every file.
    void SetCheckTypes(int asp, int aspx, int php, int jsp);
    void SetCallback(QxScanCallbackA callback) { callback_a_.store(callback); }
    void SetCallback(QxScanCallbackW callback) { callback_w_.store(callback); }

    // Walks `root` on the worker; false while a run is in progress or when
    // the thread cannot be created.
    bool Start(std::u16string root);
    void Stop() { worker_.Stop(); }

    // The files examined by the last finished walk; the findings per verdict
    // of every run since the session was opened.
    int FilesExamined() const { return files_examined_.load(); }
    int Suspicious() const { return suspicious_.load(); }
    int Dangerous() const { return dangerous_.load(); }
    int Trojan() const { return trojan_.load(); }

  private:
    class Run;
    template <class Session>
    friend void CloseSession(Session* session);

    Worker worker_;
    std::atomic<int> check_asp_{0}, check_aspx_{0}, check_php_{0}, check_jsp_{0};
    std::atomic<QxScanCallbackW> callback_w_{nullptr};
    std::atomic<QxScanCallbackA> callback_a_{nullptr};
    std::atomic<int> files_examined_{0}, suspicious_{0}, dangerous_{0}, trojan_{0};
};

class CleanSession {
  public:
    // Builds the code's encoded forms; false while a run is in progress (the
    // walk reads the code without a lock) or when memory is short.
    bool SetCleanCode(std::u16string_view code);
    void SetCallback(QxCleanCallbackA callback) { callback_a_.store(callback); }
    void SetCallback(QxCleanCallbackW callback) { callback_w_.store(callback); }

    bool Start(std::u16string root);
    void Stop() { worker_.Stop(); }

    int FilesVisited() const { return files_visited_.load(); }
    int Cleaned() const { return cleaned_.load(); }
    int Failed() const { return failed_.load(); }

  private:
    class Run;
    template <class Session>
    friend void CloseSession(Session* session);

    Worker worker_;
    CleanCode clean_code_;
    std::atomic<QxCleanCallbackW> callback_w_{nullptr};
    std::atomic<QxCleanCallbackA> callback_a_{nullptr};
    std::atomic<int> files_visited_{0}, cleaned_{0}, failed_{0};
};

}  // namespace qx
