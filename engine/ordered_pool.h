// Work done on a pool of threads while the caller walks a tree, its results
// handed back on the caller's thread in the order the work was given, mixed
// in order with the caller's own events. This is how a scan or a clean uses
// every core and still tells its client everything in walk order, on one
// thread.
//
//   OrderedPool<Rater, Rating> pool(threads, make_rater, stop_requested);
//   pool.Event([&] { client.OnFile(path); });
//   pool.Job([=](Rater& r) { return r.Rate(...); },
//            [&, path](Rating& rating) { client.OnFinding(path, rating); });
//   pool.Finish();
//
// With one thread the jobs run on the caller's thread as they are given.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace qx {

template <class State, class Result>
class OrderedPool {
  public:
    using Work = std::function<Result(State&)>;
    using Deliver = std::function<void(Result&)>;

    // `threads` (at least 1) states are made with `make_state`, one per
    // thread. Once `stopped` answers true, work not yet begun is dropped.
    OrderedPool(int threads, const std::function<std::unique_ptr<State>()>& make_state,
                std::function<bool()> stopped)
        : stopped_(std::move(stopped)) {
        if (threads <= 1) {
            inline_state_ = make_state();
            return;
        }
        for (int i = 0; i < threads; ++i) {
            workers_.emplace_back([this, state = make_state()] { Serve(*state); });
        }
        // Enough jobs in flight to keep every thread busy while the caller
        // waits for the oldest (a large file holds up every result after
        // it), without holding a whole tree's worth. Events between them
        // (files that are only counted) take no thread but are held too,
        // so they are bounded apart. For two threads, 48 jobs took a fifth
        // off the time that 24 entries of either kind took on Debian's PHP
        // trees.
        max_jobs_ = static_cast<std::size_t>(threads) * 16 + 16;
        max_entries_ = max_jobs_ * 16;
    }
    OrderedPool(const OrderedPool&) = delete;
    OrderedPool& operator=(const OrderedPool&) = delete;
    ~OrderedPool() {
        Abandon();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            closing_ = true;
        }
        work_ready_.notify_all();
        for (std::thread& worker : workers_) worker.join();
    }

    // Something to tell the client once everything given before it is told.
    void Event(std::function<void()> event) {
        auto entry = std::make_shared<Entry>();
        entry->event = std::move(event);
        entry->done = true;
        Queue(std::move(entry), false);
    }

    // Work for a pool thread; `deliver` gets its result in order.
    void Job(Work work, Deliver deliver) {
        auto entry = std::make_shared<Entry>();
        entry->work = std::move(work);
        entry->deliver = std::move(deliver);
        if (inline_state_) {
            entry->result = entry->work(*inline_state_);
            entry->done = true;
        }
        Queue(std::move(entry), !inline_state_);
    }

    // Tells the client everything still waiting, waiting for the work under
    // way to end.
    void Finish() { DeliverReady(true); }

    // Drops the work not yet begun (a stop was requested): it is neither done
    // nor told. The work under way ends and is told.

    void Abandon() {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto& entry : waiting_) entry->abandoned = true;
        waiting_.clear();
    }

  private:
    struct Entry {
        std::function<void()> event;
        Work work;
        Deliver deliver;
        Result result{};
        bool done = false;
        bool abandoned = false;
        bool on_workers = false;  // counted in jobs_
    };

    void Queue(std::shared_ptr<Entry> entry, bool for_workers) {
        entry->on_workers = for_workers;
        jobs_ += for_workers ? 1 : 0;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            order_.push_back(entry);
            if (for_workers) waiting_.push_back(entry);
        }
        if (for_workers) work_ready_.notify_one();
        DeliverReady(false);
        // A full window is emptied by half before the walk goes on: the
        // caller then sleeps once for many results, not once for each.
        if (jobs_ > max_jobs_ || order_.size() > max_entries_) {
            while (jobs_ > max_jobs_ / 2 || order_.size() > max_entries_ / 2) DeliverOldest();
        }
    }

    // On the caller's thread: tells what is done, oldest first.
    void DeliverReady(bool wait) {
        while (!order_.empty()) {
            if (stopped_()) Abandon();
            {
                std::unique_lock<std::mutex> lock(mutex_);
                if (!order_.front()->done && !order_.front()->abandoned) {
                    if (!wait) return;
                    WaitForFront(lock);
                }
            }
            Tell();
        }
    }

    void DeliverOldest() {
        if (stopped_()) Abandon();
        {
            std::unique_lock<std::mutex> lock(mutex_);
            WaitForFront(lock);
        }
        Tell();
    }

    // Only the oldest entry's end wakes the caller: results that it could
    // not tell yet would only cost it a switch.
    void WaitForFront(std::unique_lock<std::mutex>& lock) {
        awaited_ = order_.front().get();
        result_ready_.wait(lock, [&] { return order_.front()->done || order_.front()->abandoned; });
        awaited_ = nullptr;
    }

    void Tell() {
        std::shared_ptr<Entry> entry = std::move(order_.front());
        order_.pop_front();
        if (entry->on_workers) --jobs_;
        if (entry->abandoned && !entry->done) return;
        if (entry->event) entry->event();
        if (entry->deliver) entry->deliver(entry->result);
    }

    void Serve(State& state) {
        for (;;) {
            std::shared_ptr<Entry> entry;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                work_ready_.wait(lock, [&] { return closing_ || !waiting_.empty(); });
                if (waiting_.empty()) return;
                entry = std::move(waiting_.front());
                waiting_.pop_front();
            }
            Result result = entry->work(state);
            bool awaited;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                entry->result = std::move(result);
                entry->done = true;
                awaited = entry.get() == awaited_;
            }
            if (awaited) result_ready_.notify_one();
        }
    }

    std::function<bool()> stopped_;
    std::unique_ptr<State> inline_state_;
    std::vector<std::thread> workers_;
    std::size_t max_jobs_ = 1, max_entries_ = 1;
    std::size_t jobs_ = 0;  // in order_, the caller's only
    std::mutex mutex_;  // guards waiting_, closing_, awaited_ and every entry's result and flags
    std::condition_variable work_ready_, result_ready_;
    std::deque<std::shared_ptr<Entry>> order_;    // the caller's only
    std::deque<std::shared_ptr<Entry>> waiting_;  // work not yet begun
    bool closing_ = false;
    const Entry* awaited_ = nullptr;  // the entry the caller sleeps on
};

}  // namespace qx
