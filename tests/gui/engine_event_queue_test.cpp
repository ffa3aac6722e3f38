// The hand-over of engine events from the worker thread to the window thread:
// order, copies, runs kept apart, progress folded, wake-ups asked for once.
#include "engine_event_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Recorded {
    unsigned run;
    int code;
    bool hasPath;
    std::wstring path, reason;
    bool operator==(const Recorded&) const = default;
};

std::vector<Recorded> Take(EngineEventQueue& queue, size_t limit = 1000) {
    std::vector<Recorded> taken;
    for (const EngineEvent& e : queue.TakeCurrentRun(limit))
        taken.push_back({e.run, e.code, e.hasPath, e.path, e.reason});
    return taken;
}

TEST(EngineEventQueue, HandsOverCopiesInOrderAndFoldsOnlyAdjacentProgress) {
    EngineEventQueue queue;
    queue.BeginRun();
    std::wstring path = L"C:\\site\\a.asp";
    queue.Push(-1, L"C:\\site", nullptr);
    queue.Push(-1, path.c_str(), nullptr);
    queue.Push(3, path.c_str(), L"发现网页木马");
    path[10] = L'X';  // the caller's strings live only during the call
    queue.Push(-1, L"C:\\site\\b.php", nullptr);
    queue.Push(0, L"C:\\site\\b.php", nullptr);
    queue.Push(-1, nullptr, nullptr);
    queue.Push(-1, nullptr, nullptr);

    const std::vector<Recorded> expected = {
        {1, -1, true, L"C:\\site\\a.asp", L""},
        {1, 3, true, L"C:\\site\\a.asp", L"发现网页木马"},
        {1, -1, true, L"C:\\site\\b.php", L""},
        {1, 0, true, L"C:\\site\\b.php", L""},
        {1, -1, false, L"", L""},
        {1, -1, false, L"", L""},  // ends of runs are never folded
    };
    EXPECT_EQ(Take(queue), expected);
    EXPECT_TRUE(Take(queue).empty());
}

TEST(EngineEventQueue, EventsOfAnEarlierRunNeverReachTheNextOne) {
    EngineEventQueue queue;
    queue.BeginRun();
    queue.Push(1, L"old.asp", L"old");
    queue.Push(-1, L"old-progress", nullptr);
    queue.Push(-1, nullptr, nullptr);
    queue.BeginRun();
    // The new run's first progress must not be folded into the old one's.
    queue.Push(-1, L"new-progress", nullptr);
    queue.Push(2, L"new.asp", L"new");

    const std::vector<Recorded> expected = {
        {2, -1, true, L"new-progress", L""},
        {2, 2, true, L"new.asp", L"new"},
    };
    EXPECT_EQ(Take(queue), expected);
}

TEST(EngineEventQueue, AsksForOneWakeUpUntilTheEventsAreTaken) {
    struct Case {
        const char* name;
        bool wakeSucceeds;
        int expectedWakes;  // for three pushes
    };
    const Case cases[] = {
        {"delivered wake-up is not repeated", true, 1},
        // A refused request must not leave events waiting with no wake-up.
        {"refused wake-up is asked again", false, 3},
    };
    for (const Case& c : cases) {
        EngineEventQueue queue;
        int wakes = 0;
        queue.SetWake([&] {
            ++wakes;
            return c.wakeSucceeds;
        });
        queue.BeginRun();
        for (int i = 0; i < 3; ++i) queue.Push(1, L"a.asp", L"r");
        EXPECT_EQ(wakes, c.expectedWakes) << c.name;
        EXPECT_EQ(Take(queue).size(), 3u) << c.name;
        queue.Push(-1, nullptr, nullptr);
        EXPECT_EQ(wakes, c.expectedWakes + 1) << c.name << ": taking re-arms the request";
    }
}

TEST(EngineEventQueue, ABoundedTakeLeavesTheRestAndAsksToBeWokenForIt) {
    EngineEventQueue queue;
    int wakes = 0;
    queue.SetWake([&] {
        ++wakes;
        return true;
    });
    queue.BeginRun();
    queue.Push(1, L"stale.asp", L"r");
    queue.BeginRun();
    for (int i = 0; i < 5; ++i) queue.Push(1, std::to_wstring(i).c_str(), L"r");
    ASSERT_EQ(wakes, 1);

    std::vector<std::wstring> paths;
    for (const size_t expected : {2u, 2u, 1u}) {
        const std::vector<Recorded> batch = Take(queue, 2);
        EXPECT_EQ(batch.size(), expected);
        for (const Recorded& r : batch) paths.push_back(r.path);
    }
    EXPECT_EQ(paths, (std::vector<std::wstring>{L"0", L"1", L"2", L"3", L"4"}));
    EXPECT_EQ(wakes, 3) << "one wake-up for each take that left events behind";
}

TEST(EngineEventQueue, ClearFreesWhatWaits) {
    EngineEventQueue queue;
    queue.BeginRun();
    queue.Push(1, L"a.asp", L"r");
    queue.Clear();
    EXPECT_TRUE(Take(queue).empty());
}

// A worker pushing while the window thread takes: nothing is lost, nothing
// reordered, and every event leads to a wake-up that finds it.
TEST(EngineEventQueue, NothingIsLostWhileTheWorkerPushesAndTheWindowTakes) {
    constexpr int kFindings = 20000;
    EngineEventQueue queue;
    std::atomic<int> wakes{0};
    queue.SetWake([&] {
        wakes.fetch_add(1);
        return true;
    });
    queue.BeginRun();
    std::thread worker([&] {
        for (int i = 0; i < kFindings; ++i) {
            const std::wstring path = L"f" + std::to_wstring(i);
            queue.Push(-1, path.c_str(), nullptr);
            queue.Push(1, path.c_str(), L"r");
        }
        queue.Push(-1, nullptr, nullptr);
    });
    std::vector<int> findings;
    bool ended = false;
    int takenWakes = 0;
    while (!ended) {
        if (wakes.load() == takenWakes) {
            std::this_thread::yield();
            continue;
        }
        takenWakes = wakes.load();
        for (const EngineEvent& e : queue.TakeCurrentRun(64)) {
            if (e.code == 1) findings.push_back(std::stoi(e.path.substr(1)));
            if (e.code == -1 && !e.hasPath) ended = true;
        }
    }
    worker.join();
    ASSERT_EQ(findings.size(), static_cast<size_t>(kFindings));
    for (int i = 0; i < kFindings; ++i) ASSERT_EQ(findings[i], i);
}

}  // namespace
