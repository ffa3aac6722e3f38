#include "session.h"

#include <new>

#include "events.h"
#include "scan_driver.h"

namespace qx {
namespace {

thread_local const Worker* current_worker = nullptr;

}  // namespace

bool Worker::IsCurrent() const {
    return current_worker == this;
}

bool Worker::Start(std::function<void()> run) {
    if (running_.load()) return false;  // checked before the lock: a callback may be asking
    std::lock_guard<std::mutex> lock(control_);
    if (running_.load()) return false;
    thread_.Join();  // the previous run's thread has ended; release it
    // Cleared here rather than by the worker, so that a stop requested right
    // after a successful start is honoured.
    stop_flag_.store(0);
    running_.store(true);
    const bool started = thread_.Start([this, run = std::move(run)] {
        current_worker = this;
        run();
        stop_flag_.store(1);
        if (release_) {
            // The session is closed from its own callback: nobody waits for
            // this thread, and `this` is gone once `release` has run.
            std::function<void()> release = std::move(release_);
            // The start that began this run may still be leaving its lock.
            { std::lock_guard<std::mutex> started(control_); }
            thread_.Detach();
            running_.store(false);
            release();
            return;
        }
        running_.store(false);
    });
    if (!started) {
        running_.store(false);
        stop_flag_.store(1);
    }
    return started;
}

void Worker::Stop() {
    if (IsCurrent()) {
        stop_flag_.exchange(1);
        return;
    }
    std::lock_guard<std::mutex> lock(control_);
    if (!thread_.Joinable()) return;
    stop_flag_.exchange(1);
    thread_.Join();
}

bool Worker::ReleaseWhenDone(std::function<void()> release) {
    if (!IsCurrent()) return false;
    stop_flag_.exchange(1);
    release_ = std::move(release);
    return true;
}

// One scan run: routes by the check types as they are when each file is
// reached, sends every event through the callbacks registered at that moment
// and counts the findings.
class ScanSession::Run : public ScanClient {
  public:
    explicit Run(ScanSession& session) : s_(session) {}

    bool StopRequested() const override { return s_.worker_.StopRequested(); }

    FileRoute Route(const std::u16string&, std::u16string_view name) override {
        const std::optional<Family> family = FamilyOfName(name);
        if (!family) return {};
        const std::atomic<int>* const switches[] = {&s_.check_asp_, &s_.check_aspx_, &s_.check_php_,
                                                    &s_.check_jsp_};
        if (switches[static_cast<int>(*family)]->load() == 0) return {};
        return {family};
    }

    void OnDirectory(const std::u16string& path) override { Send(QX_PROGRESS_CODE, &path); }
    void OnFile(const std::u16string& path) override { Send(QX_PROGRESS_CODE, &path); }

    void OnFinding(const std::u16string& path, const Finding& finding) override {
        const Rating& rating = finding.rating;
        Send(rating.verdict, &path, &rating.reason);
        switch (rating.verdict) {
            case VerdictSuspicious:
                ++s_.suspicious_;
                break;
            case VerdictDangerous:
                ++s_.dangerous_;
                break;
            case VerdictTrojan:
                ++s_.trojan_;
                break;
            default:
                break;
        }
    }

    void Send(int code, const std::u16string* path, const std::u16string* reason = nullptr) {
        SendScanEvent(s_.callback_a_.load(), s_.callback_w_.load(), code, path, reason);
    }

  private:
    ScanSession& s_;
};

void ScanSession::SetCheckTypes(int asp, int aspx, int php, int jsp) {
    check_asp_ = asp;
    check_aspx_ = aspx;
    check_php_ = php;
    check_jsp_ = jsp;
}

bool ScanSession::Start(std::u16string root) {
    return worker_.Start([this, root = std::move(root)] {
        Run run(*this);
        files_examined_ = ScanTree(root, run);
        run.Send(QX_PROGRESS_CODE, nullptr);
    });
}

class CleanSession::Run : public CleanClient {
  public:
    explicit Run(CleanSession& session) : s_(session) {}

    bool StopRequested() const override { return s_.worker_.StopRequested(); }
    void OnDirectory(const std::u16string& path) override { Send(QX_PROGRESS_CODE, &path); }
    void OnFile(const std::u16string& path) override { Send(QX_PROGRESS_CODE, &path); }
    void OnPage(const std::u16string& path, const PageOutcome& outcome,
                const std::string&) override {
        const CleanResult result = outcome.Result();
        if (result == CleanNoMatch) return;
        Send(result, &path);
        ++(result == CleanSucceeded ? s_.cleaned_ : s_.failed_);
    }

    void Send(int code, const std::u16string* path) {
        SendCleanEvent(s_.callback_a_.load(), s_.callback_w_.load(), code, path);
    }

  private:
    CleanSession& s_;
};

bool CleanSession::SetCleanCode(std::u16string_view code) {
    if (worker_.Running()) return false;
    try {
        clean_code_ = BuildCleanCode(code);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool CleanSession::Start(std::u16string root) {
    return worker_.Start([this, root = std::move(root)] {
        Run run(*this);
        files_visited_ = CleanTree(root, clean_code_, run);
        run.Send(QX_PROGRESS_CODE, nullptr);
    });
}

}  // namespace qx
