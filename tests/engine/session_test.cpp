// Sessions through the exported interface: lifecycle under concurrency,
// event order, counts, and arguments refused. Also run under the thread
// sanitizer.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <thread>

#include "event_log.h"
#include "quellix.h"
#include "temp_tree.h"

namespace qx {
namespace {

using test::EventLog;
using test::TempTree;

const QxWChar* W(const std::u16string& s) {
    return reinterpret_cast<const QxWChar*>(s.c_str());
}

// Holds the worker inside its first file-reached callback until released.
class Gate {
  public:
    void Arm() {
        std::lock_guard<std::mutex> lock(mutex_);
        armed_ = true, held_ = false, open_ = false;
    }
    void HoldHere() {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!armed_) return;
        armed_ = false, held_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return open_; });
    }
    void WaitUntilHeld() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return held_; });
    }
    void Open() {
        std::lock_guard<std::mutex> lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool armed_ = false, held_ = false, open_ = false;
};

Gate gate;
std::atomic<int> sequence{0};
std::atomic<int> end_seen_at{-1};
std::atomic<void*> restart_session{nullptr};
std::atomic<int> restart_result{-1};

void QX_CALLBACK GatedScan(int code, const QxWChar* path, const QxWChar* reason) {
    ++sequence;
    if (code == QX_PROGRESS_CODE && path == nullptr) {
        end_seen_at = sequence.load();
        if (void* s = restart_session.exchange(nullptr)) {
            const std::u16string root = u".";
            restart_result = WebTrojanStartScanW(s, W(root));
        }
    }
    test::RecordScanW(code, path, reason);
    if (code == QX_PROGRESS_CODE && path != nullptr &&
        test::Copy(path).find(u"file") != std::u16string::npos) {
        gate.HoldHere();
    }
}

class SessionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        EventLog::Instance().Take();
        sequence = 0;
        end_seen_at = -1;
        for (int i = 0; i < 20; ++i) tree_.Write("file" + std::to_string(i) + ".asp", "<% x %>");
        tree_.Write("sub/file.php", "x");
    }
    static int Ends(const std::vector<test::Event>& events) {
        int ends = 0;
        for (const auto& e : events) ends += e.code == QX_PROGRESS_CODE && !e.has_path;
        return ends;
    }
    TempTree tree_;
};

TEST_F(SessionTest, NullHandlesAreRefused) {
    int a = 7, b = 7, c = 7;
    EXPECT_EQ(WebTrojanGetScanCount(nullptr, &a, &b, &c), 0);
    EXPECT_EQ(a + b + c, 0);
    a = b = 7;
    EXPECT_EQ(WebShellGetCleanCount(nullptr, &a, &b), 0);
    EXPECT_EQ(a + b, 0);
    EXPECT_EQ(WebTrojanScanClose(nullptr), 1);
    EXPECT_EQ(QuellixClose(nullptr), 1);
    EXPECT_EQ(WebTrojanSetCheckType(nullptr, 1, 1, 1, 1), 0);
    EXPECT_EQ(WebTrojanSetCallbackW(nullptr, test::RecordScanW), 0);
    EXPECT_EQ(WebTrojanSetCallbackA(nullptr, test::RecordScanA), 0);
    EXPECT_EQ(WebShellSetCallbackW(nullptr, test::RecordCleanW), 0);
    EXPECT_EQ(WebTrojanStartScanW(nullptr, W(tree_.Path())), 0);
    EXPECT_EQ(WebTrojanStartScanA(nullptr, "x"), 0);
    EXPECT_EQ(WebShellStartCleanW(nullptr, W(tree_.Path())), 0);
    EXPECT_EQ(WebShellSetCleanCodeW(nullptr, W(u"<x>")), 0);
    EXPECT_EQ(WebShellSetCleanCodeA(nullptr, "<x>"), 0);
    WebTrojanStopScan(nullptr);
    WebShellStopClean(nullptr);
    EXPECT_TRUE(EventLog::Instance().Take().empty());
}

TEST_F(SessionTest, RunWithoutCheckTypesCountsEveryFile) {
    void* s = WebTrojanScanOpen();
    ASSERT_NE(s, nullptr);
    WebTrojanSetCallbackW(s, test::RecordScanW);
    EXPECT_EQ(WebTrojanSetCallbackW(s, nullptr), 1);  // null keeps the registered one
    const std::u16string empty;
    EXPECT_EQ(WebTrojanStartScanW(s, W(empty)), 0);
    EXPECT_EQ(WebTrojanStartScanW(s, nullptr), 0);
    ASSERT_EQ(WebTrojanStartScanW(s, W(tree_.Path())), 1);
    ASSERT_TRUE(EventLog::Instance().WaitForEnds(1));
    int a, b, c;
    EXPECT_EQ(WebTrojanGetScanCount(s, &a, &b, &c), 21);
    WebTrojanScanClose(s);
    const auto events = EventLog::Instance().Take();
    EXPECT_EQ(events.size(), 2u + 21u + 1u);  // two directories, 21 files, the end
    EXPECT_EQ(Ends(events), 1);
    EXPECT_FALSE(events.back().has_path);
}

TEST_F(SessionTest, SecondStartIsRefusedWhileRunning) {
    void* s = WebTrojanScanOpen();
    WebTrojanSetCallbackW(s, GatedScan);
    gate.Arm();
    ASSERT_EQ(WebTrojanStartScanW(s, W(tree_.Path())), 1);
    gate.WaitUntilHeld();
    EXPECT_EQ(WebTrojanStartScanW(s, W(tree_.Path())), 0);
    gate.Open();
    WebTrojanStopScan(s);
    // From inside the end-of-run callback the run is still in progress.
    restart_session = s;
    restart_result = -1;
    ASSERT_EQ(WebTrojanStartScanW(s, W(tree_.Path())), 1);
    WebTrojanStopScan(s);
    EXPECT_EQ(restart_result, 0);
    EXPECT_EQ(WebTrojanStartScanW(s, W(tree_.Path())), 1);  // idle again
    WebTrojanScanClose(s);
}

TEST_F(SessionTest, StopAndCloseReturnAfterTheEndEvent) {
    for (bool close : {false, true}) {
        void* s = WebTrojanScanOpen();
        WebTrojanSetCheckType(s, 1, 1, 1, 1);
        WebTrojanSetCallbackW(s, GatedScan);
        gate.Arm();
        EventLog::Instance().Take();
        ASSERT_EQ(WebTrojanStartScanW(s, W(tree_.Path())), 1);
        gate.WaitUntilHeld();
        std::atomic<int> returned_at{-1};
        std::thread stopper([&] {
            close ? (void)WebTrojanScanClose(s) : WebTrojanStopScan(s);
            returned_at = sequence.load();
        });
        // Give the stopper time to make its request; it then waits for the
        // worker, which is held in its callback.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        gate.Open();
        stopper.join();
        ASSERT_GE(end_seen_at.load(), 0);
        EXPECT_EQ(returned_at.load(), end_seen_at.load());
        const auto events = EventLog::Instance().Take();
        // Stopped at the next entry: root, the held file, the end.
        EXPECT_EQ(events.size(), 3u);
        EXPECT_EQ(Ends(events), 1);
        if (!close) {
            int a, b, c;
            EXPECT_EQ(WebTrojanGetScanCount(s, &a, &b, &c), 1);
            WebTrojanScanClose(s);
        }
    }
}

TEST_F(SessionTest, AnsiCallbackComesFirst) {
    void* s = WebTrojanScanOpen();
    WebTrojanSetCallbackW(s, test::RecordScanW);
    WebTrojanSetCallbackA(s, test::RecordScanA);
    ASSERT_EQ(
        WebTrojanStartScanA(s, reinterpret_cast<const char*>(tree_.Root().u8string().c_str())), 1);
    WebTrojanScanClose(s);
    const auto events = EventLog::Instance().Take();
    ASSERT_EQ(events.size() % 2, 0u);
    for (std::size_t i = 0; i < events.size(); i += 2) {
        EXPECT_EQ(events[i].kind, 'A');
        EXPECT_EQ(events[i + 1].kind, 'W');
        EXPECT_EQ(events[i].code, events[i + 1].code);
        EXPECT_EQ(events[i].path, events[i + 1].path);  // ASCII paths convert unchanged
    }
}

TEST_F(SessionTest, ManySessionsRunAtOnce) {
    std::vector<void*> sessions;
    for (int i = 0; i < 4; ++i) {
        sessions.push_back(WebTrojanScanOpen());
        WebTrojanSetCheckType(sessions.back(), 1, 1, 1, 1);
        ASSERT_EQ(WebTrojanStartScanW(sessions.back(), W(tree_.Path())), 1);
    }
    for (void* s : sessions) {
        WebTrojanStopScan(s);  // a stop may come before or after the end
        int a, b, c;
        EXPECT_LE(WebTrojanGetScanCount(s, &a, &b, &c), 21);
        WebTrojanScanClose(s);
    }
}

void* self_closing = nullptr;
std::atomic<bool> closed_inside{false};
void QX_CALLBACK CloseFromInside(int code, const QxWChar* path, const QxWChar*) {
    if (code == QX_PROGRESS_CODE && path == nullptr) {
        closed_inside = WebTrojanScanClose(self_closing) == 1;
    }
}

TEST_F(SessionTest, CloseFromItsOwnCallbackDoesNotDeadlock) {
    self_closing = WebTrojanScanOpen();
    WebTrojanSetCallbackW(self_closing, CloseFromInside);
    ASSERT_EQ(WebTrojanStartScanW(self_closing, W(tree_.Path())), 1);
    for (int i = 0; i < 2000 && !closed_inside; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(closed_inside);
}

TEST_F(SessionTest, CleanCodeLimits) {
    void* s = QuellixOpen();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(WebShellSetCleanCodeW(s, nullptr), 0);
    EXPECT_EQ(WebShellSetCleanCodeW(s, W(u"")), 0);
    EXPECT_EQ(WebShellSetCleanCodeW(s, W(std::u16string(340, u'x'))), 1);
    EXPECT_EQ(WebShellSetCleanCodeW(s, W(std::u16string(341, u'x'))), 0);
    EXPECT_EQ(WebShellSetCleanCodeA(s, "<iframe src=x>"), 1);
    EXPECT_EQ(WebShellSetCleanCodeA(s, nullptr), 0);
#ifndef _WIN32
    EXPECT_EQ(WebShellSetCleanCodeA(s, "\xFF\xFE broken"), 0);  // not convertible: refused
    EXPECT_EQ(WebShellStartCleanA(s, "\xFF"), 0);
#endif
    QuellixClose(s);
}

void QX_CALLBACK GatedClean(int code, const QxWChar* path) {
    test::RecordCleanW(code, path);
    if (code == QX_PROGRESS_CODE && path != nullptr &&
        test::Copy(path).find(u"file") != std::u16string::npos) {
        gate.HoldHere();
    }
}

TEST_F(SessionTest, CleanCodeIsNotReplacedWhileTheWorkerReadsIt) {
    void* s = QuellixOpen();
    WebShellSetCallbackW(s, GatedClean);
    ASSERT_EQ(WebShellSetCleanCodeW(s, W(u"<x>")), 1);
    gate.Arm();
    ASSERT_EQ(WebShellStartCleanW(s, W(tree_.Path())), 1);
    gate.WaitUntilHeld();
    EXPECT_EQ(WebShellSetCleanCodeW(s, W(u"<y>")), 0);
    gate.Open();
    ASSERT_TRUE(EventLog::Instance().WaitForEnds(1));
    WebShellStopClean(s);  // the worker has sent its last event; let it end
    EXPECT_EQ(WebShellSetCleanCodeW(s, W(u"<y>")), 1);
    QuellixClose(s);
}

TEST_F(SessionTest, CleanRunReportsAndCounts) {
    tree_.Write("web/a.html", "<p><script>x</script></p>");
    tree_.Write("web/b.shtml", "<script>x</script>");  // not a cleanable page
    tree_.Write("web/c.css", "nothing");
    void* s = QuellixOpen();
    WebShellSetCallbackW(s, test::RecordCleanW);
    ASSERT_EQ(WebShellSetCleanCodeW(s, W(u"<script>x</script>")), 1);
    ASSERT_EQ(WebShellStartCleanW(s, W(tree_.Path("web"))), 1);
    ASSERT_TRUE(EventLog::Instance().WaitForEnds(1));
    int cleaned = -1, failed = -1;
    EXPECT_EQ(WebShellGetCleanCount(s, &cleaned, &failed), 3);
    EXPECT_EQ(cleaned, 1);
    EXPECT_EQ(failed, 0);
    QuellixClose(s);
    const auto events = EventLog::Instance().Take();
    ASSERT_EQ(events.size(), 1u + 3u + 1u + 1u);  // directory, files, result, end
    int results = 0;
    for (const auto& e : events) results += e.code == QX_CLEAN_SUCCEEDED;
    EXPECT_EQ(results, 1);
    EXPECT_EQ(tree_.Read("web/a.html"), "<p>                  </p>");
    EXPECT_EQ(tree_.Read("web/b.shtml"), "<script>x</script>");
}

}  // namespace
}  // namespace qx
