// Paths that changed, each held back until it has been quiet for a while: a
// file written in a burst of writes is rated once, whole, after the last
// one, rather than in part at every write.
#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qx::cli {

class SettlingPaths {
  public:
    using Clock = std::chrono::steady_clock;

    explicit SettlingPaths(Clock::duration quiet) : quiet_(quiet) {}

    // `path` (of tree `root`) changed at `now`.
    void Touch(const std::u16string& path, std::size_t root, Clock::time_point now) {
        auto& last = last_[path];
        if (last.second == now) return;  // a burst seen at once
        last = {root, now};
        touches_.emplace_back(now, path);
    }

    // The paths quiet since `now - quiet`, in the order they settled; they
    // are forgotten.
    std::vector<std::pair<std::u16string, std::size_t>> TakeSettled(Clock::time_point now) {
        std::vector<std::pair<std::u16string, std::size_t>> settled;
        while (!touches_.empty() && touches_.front().first + quiet_ <= now) {
            const auto [at, path] = std::move(touches_.front());
            touches_.pop_front();
            const auto last = last_.find(path);
            // Only the latest touch of a path counts.
            if (last == last_.end() || last->second.second != at) continue;
            settled.emplace_back(path, last->second.first);
            last_.erase(last);
        }
        return settled;
    }

    // When the next path may settle; none when nothing waits.
    std::optional<Clock::time_point> NextSettling() const {
        if (touches_.empty()) return std::nullopt;
        return touches_.front().first + quiet_;
    }

    void Clear() {
        last_.clear();
        touches_.clear();
    }

  private:
    const Clock::duration quiet_;
    std::map<std::u16string, std::pair<std::size_t, Clock::time_point>> last_;
    std::deque<std::pair<Clock::time_point, std::u16string>> touches_;
};

}  // namespace qx::cli
