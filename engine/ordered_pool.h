// Work done on a pool of threads while the caller walks a tree, told back on
// the caller's thread in the order it was given, mixed in order with the
// caller's own events. This is how a scan or a clean uses every core and
// still tells its client everything in walk order, on one thread.
//
// Everything given is an item of the caller's type, filled in place:
//
//   OrderedPool<Rater, FileItem> pool(threads, make_rater, stopped, rate, tell);
//   FileItem& item = pool.Next();
//   item.path.assign(path);
//   pool.Give(true);   // rate(rater, item) on some thread, then tell(item)
//   ...
//   pool.Finish();
//
// Items are reused once told, with whatever they hold, so that a walk of
// many files does not allocate for each: the caller sets every field it
// reads, and the item's `Drop()` lets go of what must not outlive it (open
// directories, say) while keeping its buffers.
//
// The caller is one of the `threads`: when it would wait for a result, it
// takes on work not yet begun instead, so that no core sits idle while the
// walk is held up and the pool needs one thread fewer. With one thread the
// work runs on the caller's thread as it is given.
#pragma once

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace qx {

template <class State, class Item>
class OrderedPool {
  public:
    using Work = std::function<void(State&, Item&)>;
    using Tell = std::function<void(Item&)>;

    // `threads` (at least 1) states are made with `make_state`, one per
    // thread, the caller's included. Once `stopped` answers true, work not
    // yet begun is dropped.
    OrderedPool(int threads, const std::function<std::unique_ptr<State>()>& make_state,
                std::function<bool()> stopped, Work work, Tell tell)
        : stopped_(std::move(stopped)),
          work_(std::move(work)),
          tell_(std::move(tell)),
          own_state_(make_state()) {
        if (threads <= 1) return;
        for (int i = 1; i < threads; ++i) {
            workers_.emplace_back([this, state = make_state()] { Serve(*state); });
        }
        // Enough jobs in flight to keep every thread busy while one rates a
        // large file that holds up every result after it (a 4 MB page takes
        // as long as a few hundred ordinary ones), without holding a whole
        // tree's worth. On Debian's PHP trees at two threads, 512 jobs took a
        // tenth off the time that 48 took. Events between them (each file
        // and directory, for a client that hears them) take no thread but
        // are held too: where a large page is followed by a folder of
        // scripts' assets, thousands of them come before the next job, and
        // the walk has to get through them to keep the other threads busy.
        // At 4,096 entries the walk slept behind Mediawiki's 4 MB page for a
        // twentieth of the run; 16,384 more (about 10 MB at most, with their
        // paths) keep it walking.
        max_jobs_ = static_cast<std::size_t>(threads) * 256;
        max_entries_ = max_jobs_ * 8 + 16384;
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

    // The item to fill before the next Give.
    Item& Next() {
        if (!next_) {
            if (spare_.empty()) {
                next_ = std::make_unique<Entry>();
            } else {
                next_ = std::move(spare_.back());
                spare_.pop_back();
            }
        }
        return next_->item;
    }

    // Bounds the items in flight that hold something scarce until they are
    // told (see Give).
    void LimitHolding(std::size_t most) { max_holding_ = std::max<std::size_t>(most, 2); }

    // Gives the item filled since Next: with `work`, it is worked on some
    // thread; either way it is told once everything given before it is.
    // `holds`: it keeps something scarce (an open directory) until told.
    void Give(bool work, bool holds = false) {
        Next();  // an item given unfilled is still told
        std::unique_ptr<Entry> entry = std::move(next_);
        if (!work && order_.empty()) {
            tell_(entry->item);  // nothing to wait for
            Recycle(std::move(entry));
            return;
        }
        if (work && workers_.empty()) {
            // One thread: everything is told as it is given.
            work_(*own_state_, entry->item);
            tell_(entry->item);
            Recycle(std::move(entry));
            return;
        }
        entry->work = work;
        entry->holds = holds;
        holding_ += holds;
        entry->done.store(!work, std::memory_order_relaxed);
        if (work) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                waiting_.push_back(entry.get());
            }
            work_ready_.notify_one();
            ++jobs_;
        }
        Queue(std::move(entry));
    }

    // Tells everything still waiting, helping with the work not yet begun
    // and waiting for the work under way to end.
    void Finish() {
        while (!order_.empty()) TellOldest(true);
    }

    // Drops the work not yet begun (a stop was requested): it is neither done
    // nor told. The work under way ends and is told.
    void Abandon() {
        std::lock_guard<std::mutex> lock(mutex_);
        for (Entry* entry : waiting_) entry->abandoned = true;
        waiting_.clear();
    }

  private:
    struct Entry {
        Item item{};
        bool work = false;
        bool holds = false;
        std::atomic<bool> done = false;  // the work has ended: the one hand-over between threads
        bool abandoned = false;          // the caller's only: dropped before it began
    };

    // Entries are made, told and reused on the caller's thread only; a pool
    // thread touches one only between taking it and setting `done`.
    void Recycle(std::unique_ptr<Entry> entry) {
        entry->item.Drop();
        entry->abandoned = false;
        spare_.push_back(std::move(entry));
    }

    void Queue(std::unique_ptr<Entry> entry) {
        order_.push_back(std::move(entry));
        while (!order_.empty() && Ready(*order_.front())) TellFront();
        // A full window is emptied towards half before the walk goes on: the
        // caller then turns to the work itself once for many results, not
        // once for each. It sleeps only while the window is full: with
        // nothing left to take on, it goes back to the walk.
        if (Full()) {
            while (jobs_ > max_jobs_ / 2 || order_.size() > max_entries_ / 2 ||
                   holding_ > max_holding_ / 2) {
                if (!TellOldest(Full())) break;
            }
        }
    }

    bool Full() const {
        return jobs_ > max_jobs_ || order_.size() > max_entries_ || holding_ > max_holding_;
    }

    static bool Ready(const Entry& entry) { return entry.abandoned || entry.done.load(); }

    // Tells the oldest entry once it is done. Until then the caller works on
    // what no thread has begun, and sleeps when every job is under way on
    // the pool, if `may_wait`; otherwise it returns false, having told
    // nothing.
    bool TellOldest(bool may_wait) {
        for (;;) {
            if (stopped_()) Abandon();
            if (Ready(*order_.front())) break;
            if (Entry* entry = TakeWaiting()) {
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
        TellFront();
        return true;
    }

    Entry* TakeWaiting() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (waiting_.empty()) return nullptr;
        Entry* entry = waiting_.front();
        waiting_.pop_front();
        return entry;
    }

    void TellFront() {
        std::unique_ptr<Entry> entry = std::move(order_.front());
        order_.pop_front();
        if (entry->work) --jobs_;
        if (entry->holds) --holding_;
        if (!entry->abandoned) tell_(entry->item);
        Recycle(std::move(entry));
    }

    void Run(Entry& entry, State& state) {
        work_(state, entry.item);
        const Entry* const ran = &entry;
        entry.done.store(true);  // from here on the caller may tell and reuse it
        // The caller sleeps only on the oldest entry, and only after saying
        // so here: results that it could not tell yet do not wake it.
        if (awaited_.load() == ran) {
            std::lock_guard<std::mutex> lock(mutex_);
            result_ready_.notify_one();
        }
    }

    void Serve(State& state) {
        for (;;) {
            Entry* entry;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                work_ready_.wait(lock, [&] { return closing_ || !waiting_.empty(); });
                if (waiting_.empty()) return;
                entry = waiting_.front();
                waiting_.pop_front();
            }
            Run(*entry, state);
        }
    }

    std::function<bool()> stopped_;
    Work work_;
    Tell tell_;
    std::unique_ptr<State> own_state_;  // the caller's
    std::vector<std::thread> workers_;
    std::size_t max_jobs_ = 1, max_entries_ = 1;
    std::size_t max_holding_ = static_cast<std::size_t>(-1);
    std::size_t jobs_ = 0;     // entries of order_ with work, the caller's only
    std::size_t holding_ = 0;  // entries of order_ that hold, the caller's only
    std::mutex mutex_;         // guards waiting_ and closing_; pairs with both conditions
    std::condition_variable work_ready_, result_ready_;
    std::unique_ptr<Entry> next_;                // being filled, the caller's only
    std::deque<std::unique_ptr<Entry>> order_;   // the caller's only
    std::vector<std::unique_ptr<Entry>> spare_;  // told, for reuse; the caller's only
    std::deque<Entry*> waiting_;                 // work not yet begun
    bool closing_ = false;
    std::atomic<const Entry*> awaited_ = nullptr;  // the entry the caller sleeps on
};

}  // namespace qx
