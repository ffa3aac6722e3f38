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
// The caller is one of the `threads`: when it would wait for a result, it
// takes on work not yet begun instead, so that no core sits idle while the
// walk is held up and the pool needs one thread fewer. With one thread the
// jobs run on the caller's thread as they are given.
#pragma once

#include <atomic>
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
    // thread, the caller's included. Once `stopped` answers true, work not
    // yet begun is dropped.
    OrderedPool(int threads, const std::function<std::unique_ptr<State>()>& make_state,
                std::function<bool()> stopped)
        : stopped_(std::move(stopped)), own_state_(make_state()) {
        if (threads <= 1) return;
        for (int i = 1; i < threads; ++i) {
            workers_.emplace_back([this, state = make_state()] { Serve(*state); });
        }
        // Enough jobs in flight to keep every thread busy while one rates a
        // large file that holds up every result after it (a 4 MB page takes
        // as long as a few hundred ordinary ones), without holding a whole
        // tree's worth. Events between them (files that are only counted)
        // take no thread but are held too, so they are bounded apart. On
        // Debian's PHP trees at two threads, 512 jobs took a tenth off the
        // time that 48 took; the entries cost about 3 MB.
        max_jobs_ = static_cast<std::size_t>(threads) * 256;
        max_entries_ = max_jobs_ * 8;
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
        if (order_.empty()) {
            event();  // nothing to wait for
            return;
        }
        auto entry = std::make_shared<Entry>();
        entry->event = std::move(event);
        entry->done = true;
        Queue(std::move(entry));
    }

    // Work for a pool thread; `deliver` gets its result in order.
    void Job(Work work, Deliver deliver) {
        if (workers_.empty()) {
            // One thread: everything is told as it is given.
            Result result = work(*own_state_);
            deliver(result);
            return;
        }
        auto entry = std::make_shared<Entry>();
        entry->work = std::move(work);
        entry->deliver = std::move(deliver);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            waiting_.push_back(entry);
        }
        work_ready_.notify_one();
        ++jobs_;
        Queue(std::move(entry));
    }

    // Tells the client everything still waiting, helping with the work not
    // yet begun and waiting for the work under way to end.
    void Finish() {
        while (!order_.empty()) TellOldest(true);
    }

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
        std::atomic<bool> done = false;  // `result` is set: the one hand-over between threads
        bool abandoned = false;          // the caller's only: dropped before it began
    };

    void Queue(std::shared_ptr<Entry> entry) {
        order_.push_back(std::move(entry));
        while (!order_.empty() && Ready(*order_.front())) Tell();
        // A full window is emptied towards half before the walk goes on: the
        // caller then turns to the work itself once for many results, not
        // once for each. It sleeps only while the window is full: with
        // nothing left to take on, it goes back to the walk.
        if (Full()) {
            while (jobs_ > max_jobs_ / 2 || order_.size() > max_entries_ / 2) {
                if (!TellOldest(Full())) break;
            }
        }
    }

    bool Full() const { return jobs_ > max_jobs_ || order_.size() > max_entries_; }

    static bool Ready(const Entry& entry) { return entry.abandoned || entry.done.load(); }

    // Tells the oldest entry once it is done. Until then the caller rates
    // what no thread has begun, and sleeps when every job is under way on
    // the pool, if `may_wait`; otherwise it returns false, having told
    // nothing.
    bool TellOldest(bool may_wait) {
        for (;;) {
            if (stopped_()) Abandon();
            if (Ready(*order_.front())) break;
            if (std::shared_ptr<Entry> entry = TakeWaiting()) {
                Run(*entry, *own_state_);
                continue;
            }
            if (!may_wait) return false;
            std::unique_lock<std::mutex> lock(mutex_);
            Entry* front = order_.front().get();
            awaited_.store(front);
            result_ready_.wait(lock, [front] { return Ready(*front); });
            awaited_.store(nullptr);
            break;
        }
        Tell();
        return true;
    }

    std::shared_ptr<Entry> TakeWaiting() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (waiting_.empty()) return nullptr;
        std::shared_ptr<Entry> entry = std::move(waiting_.front());
        waiting_.pop_front();
        return entry;
    }

    void Tell() {
        std::shared_ptr<Entry> entry = std::move(order_.front());
        order_.pop_front();
        if (entry->work) --jobs_;
        if (entry->abandoned) return;
        if (entry->event) entry->event();
        if (entry->deliver) entry->deliver(entry->result);
    }

    void Run(Entry& entry, State& state) {
        entry.result = entry.work(state);
        entry.done.store(true);
        // The caller sleeps only on the oldest entry, and only after saying
        // so here: results that it could not tell yet do not wake it.
        if (awaited_.load() == &entry) {
            std::lock_guard<std::mutex> lock(mutex_);
            result_ready_.notify_one();
        }
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
            Run(*entry, state);
        }
    }

    std::function<bool()> stopped_;
    std::unique_ptr<State> own_state_;  // the caller's
    std::vector<std::thread> workers_;
    std::size_t max_jobs_ = 1, max_entries_ = 1;
    std::size_t jobs_ = 0;  // entries of order_ with work, the caller's only
    std::mutex mutex_;      // guards waiting_ and closing_; pairs with both conditions
    std::condition_variable work_ready_, result_ready_;
    std::deque<std::shared_ptr<Entry>> order_;    // the caller's only
    std::deque<std::shared_ptr<Entry>> waiting_;  // work not yet begun
    bool closing_ = false;
    std::atomic<const Entry*> awaited_ = nullptr;  // the entry the caller sleeps on
};

}  // namespace qx
