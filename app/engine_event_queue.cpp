#include "engine_event_queue.h"

namespace {

bool IsProgress(const EngineEvent& event) {
    return event.code == -1 && event.hasPath;
}

}  // namespace

void EngineEventQueue::BeginRun() {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_run;
}

void EngineEventQueue::Push(int code, const wchar_t* path, const wchar_t* reason) {
    EngineEvent event;
    event.code = code;
    event.hasPath = path != nullptr;
    if (path) event.path = path;
    if (reason) event.reason = reason;

    bool wake = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        // Only the latest path of a progress run is ever seen, and a fast walk
        // of a large tree sends one per file: a waiting progress event at the
        // tail is replaced, not followed.
        event.run = m_run;
        if (IsProgress(event) && !m_waiting.empty() && IsProgress(m_waiting.back()) &&
            m_waiting.back().run == event.run)
            m_waiting.back().path = std::move(event.path);
        else
            m_waiting.push_back(std::move(event));
        wake = !m_wakePending;
        m_wakePending = true;
    }
    if (wake) Wake();
}

void EngineEventQueue::Wake() {
    // Outside the lock: the window thread taking events never waits for the
    // window system's answer to another thread.
    if (m_wake && m_wake()) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_wakePending = false;
}

std::vector<EngineEvent> EngineEventQueue::TakeCurrentRun(size_t limit) {
    std::vector<EngineEvent> current;
    std::deque<EngineEvent> stale;
    bool more = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        while (!m_waiting.empty() && current.size() < limit) {
            EngineEvent& event = m_waiting.front();
            if (event.run == m_run)
                current.push_back(std::move(event));
            else
                stale.push_back(std::move(event));  // freed outside the lock
            m_waiting.pop_front();
        }
        more = !m_waiting.empty();
        m_wakePending = more;
    }
    if (more) Wake();
    return current;
}

void EngineEventQueue::Clear() {
    std::deque<EngineEvent> dropped;
    std::lock_guard<std::mutex> lock(m_mutex);
    dropped.swap(m_waiting);
    m_wakePending = false;
}
