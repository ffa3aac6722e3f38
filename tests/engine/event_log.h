// Records what a session's callbacks receive. The engine's callbacks carry no
// context pointer, so the log is one process-wide object.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "quellix.h"

namespace qx::test {

struct Event {
    char kind;  // 'A' or 'W'
    int code;
    bool has_path;
    std::u16string path;
    std::u16string reason;
};

class EventLog {
  public:
    static EventLog& Instance() {
        static EventLog log;
        return log;
    }
    void Add(Event event) {
        std::lock_guard<std::mutex> lock(mutex_);
        ends_ += event.code == QX_PROGRESS_CODE && !event.has_path;
        events_.push_back(std::move(event));
        changed_.notify_all();
    }
    // Waits (a minute at most) until `count` end-of-run events have arrived
    // since the last Take.
    bool WaitForEnds(int count) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::minutes(1), [&] { return ends_ >= count; });
    }
    std::vector<Event> Take() {
        std::lock_guard<std::mutex> lock(mutex_);
        ends_ = 0;
        return std::exchange(events_, {});
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Event> events_;
    int ends_ = 0;
};

inline std::u16string Copy(const QxWChar* s) {
    return s ? std::u16string(reinterpret_cast<const char16_t*>(s)) : std::u16string();
}
inline std::u16string Copy(const char* s) {
    return s ? std::u16string(s, s + std::char_traits<char>::length(s)) : std::u16string();
}

inline void QX_CALLBACK RecordScanW(int code, const QxWChar* path, const QxWChar* reason) {
    EventLog::Instance().Add({'W', code, path != nullptr, Copy(path), Copy(reason)});
}
inline void QX_CALLBACK RecordScanA(int code, const char* path, const char* reason) {
    EventLog::Instance().Add({'A', code, path != nullptr, Copy(path), Copy(reason)});
}
inline void QX_CALLBACK RecordCleanW(int code, const QxWChar* path) {
    EventLog::Instance().Add({'W', code, path != nullptr, Copy(path), {}});
}

}  // namespace qx::test
