// The events of an engine run on their way from the engine's worker thread,
// where the callbacks run, to the window thread that owns the page. The worker
// copies each event in and asks for a wake-up only when none is pending; it
// never waits for the window thread to handle anything, so the window thread
// may block in the engine's stop and close (which wait for the worker) at any
// time. The window thread takes everything waiting in one go, oldest first.
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct EngineEvent {
    unsigned run = 0;  // the run that sent it
    int code = 0;
    bool hasPath = false;  // a progress event carries a path; the end of a run has none
    std::wstring path;
    std::wstring reason;
};

class EngineEventQueue {
  public:
    // Asks the window thread to take the waiting events soon (e.g. by posting
    // a message); false when the request could not be made.
    using WakeFunction = std::function<bool()>;

    // Set once, before the first run.
    void SetWake(WakeFunction wake) { m_wake = std::move(wake); }

    // Window thread, while no worker is running (the engine's stop and close
    // wait for it): events pushed from now on belong to a new run, and those
    // of earlier runs still waiting are never handed over.
    void BeginRun();

    // Worker thread, from the engine's callback: the strings are copied, as
    // they live only for the duration of the call; null stays absent.
    void Push(int code, const wchar_t* path, const wchar_t* reason);

    // Window thread: up to limit waiting events of the current run, oldest
    // first; events of earlier runs are freed here. When more events wait,
    // a wake-up is asked for again, so that the window thread handles other
    // messages (the user's among them) between two takes.
    std::vector<EngineEvent> TakeCurrentRun(size_t limit);

    // Window thread, once no worker can push any more: frees what waits.
    void Clear();

  private:
    // Asks for a wake-up, outside the lock; a refused request is asked again
    // by the next event.
    void Wake();

    std::mutex m_mutex;
    std::deque<EngineEvent> m_waiting;
    unsigned m_run = 0;
    bool m_wakePending = false;
    WakeFunction m_wake;
};
