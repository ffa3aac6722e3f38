// The hand-over of a page's background job to its window thread: results
// arrive as the page's message, one job at a time, and a window that goes
// away first waits for the job and frees what it left.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "page_worker.h"

namespace {

constexpr UINT kDone = WM_APP + 7;

std::atomic<int> g_resultsAlive{0};

struct Result {
    int value;
    explicit Result(int v) : value(v) { ++g_resultsAlive; }
    ~Result() { --g_resultsAlive; }
};

class Window {
  public:
    Window()
        : m_hwnd(::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                   nullptr)) {}
    ~Window() {
        if (m_hwnd) ::DestroyWindow(m_hwnd);
    }
    HWND get() const { return m_hwnd; }
    void Destroy() {
        ::DestroyWindow(m_hwnd);
        m_hwnd = nullptr;
    }
    // Waits for the done message and returns its argument.
    LPARAM WaitForDone() const {
        MSG message{};
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            if (::PeekMessageW(&message, m_hwnd, kDone, kDone, PM_REMOVE)) return message.lParam;
            ::Sleep(5);
        }
        return 0;
    }

  private:
    HWND m_hwnd;
};

bool DoneMessageQueued(HWND hwnd) {
    MSG message{};
    return ::PeekMessageW(&message, hwnd, kDone, kDone, PM_NOREMOVE) != FALSE;
}

class PageWorker : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(window.get(), nullptr);
        g_resultsAlive = 0;
    }
    void TearDown() override { EXPECT_EQ(g_resultsAlive, 0) << "a result was leaked"; }
    Window window;
};

TEST_F(PageWorker, HandsTheResultToTheWindowThreadAndIsBusyUntilItIsTaken) {
    CPageWorker<Result> worker(kDone);
    const DWORD windowThread = ::GetCurrentThreadId();
    std::atomic<DWORD> jobThread{0};
    ASSERT_TRUE(worker.Start(window.get(), [&] {
        jobThread = ::GetCurrentThreadId();
        return std::make_unique<Result>(42);
    }));
    EXPECT_TRUE(worker.IsBusy());
    EXPECT_FALSE(worker.Start(window.get(), [] { return std::make_unique<Result>(1); }))
        << "one job at a time";

    const LPARAM posted = window.WaitForDone();
    ASSERT_NE(posted, 0);
    EXPECT_TRUE(worker.IsBusy()) << "busy until the window thread has taken the result";
    int seen = 0;
    bool startRefusedInside = false;
    worker.Finish(posted, [&](Result& result) {
        seen = result.value;
        EXPECT_EQ(::GetCurrentThreadId(), windowThread);
        startRefusedInside =
            !worker.Start(window.get(), [] { return std::make_unique<Result>(2); });
    });
    EXPECT_EQ(seen, 42);
    EXPECT_NE(jobThread.load(), windowThread);
    EXPECT_TRUE(startRefusedInside) << "no second job while the first result is handled";
    EXPECT_FALSE(worker.IsBusy());

    // And the next job runs as the first did.
    ASSERT_TRUE(worker.Start(window.get(), [] { return std::make_unique<Result>(7); }));
    worker.Finish(window.WaitForDone(), [&](Result& result) { seen = result.value; });
    EXPECT_EQ(seen, 7);
}

TEST_F(PageWorker, DiscardWaitsForTheRunningJobAndFreesItsResult) {
    CPageWorker<Result> worker(kDone);
    std::atomic<bool> finished{false};
    ASSERT_TRUE(worker.Start(window.get(), [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        finished = true;
        return std::make_unique<Result>(1);
    }));
    worker.Discard(window.get());
    EXPECT_TRUE(finished) << "the job ended before Discard returned";
    EXPECT_FALSE(DoneMessageQueued(window.get()));
    EXPECT_EQ(g_resultsAlive, 0);
    EXPECT_FALSE(worker.IsBusy());
}

TEST_F(PageWorker, AResultPostedAfterTheWindowWentIsFreedByTheJob) {
    std::atomic<bool> release{false};
    {
        CPageWorker<Result> worker(kDone);
        ASSERT_TRUE(worker.Start(window.get(), [&] {
            while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(5));
            return std::make_unique<Result>(1);
        }));
        window.Destroy();
        release = true;
    }  // the worker's end waits for the job
    EXPECT_EQ(g_resultsAlive, 0);
}

}  // namespace
