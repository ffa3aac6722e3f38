#include "table_fetch_win.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using qx::net::TablePath;

TEST(ChooseTablePath, AcceptsOnlyTheKnownNtVersions) {
    const struct {
        DWORD platform, major, minor;
        TablePath path;
    } cases[] = {
        {VER_PLATFORM_WIN32_NT, 5, 0, TablePath::kOlder},
        {VER_PLATFORM_WIN32_NT, 5, 1, TablePath::kOlder},
        {VER_PLATFORM_WIN32_NT, 5, 2, TablePath::kOlder},
        {VER_PLATFORM_WIN32_NT, 5, 3, TablePath::kUnsupported},
        {VER_PLATFORM_WIN32_NT, 6, 0, TablePath::kNewer},
        {VER_PLATFORM_WIN32_NT, 6, 1, TablePath::kNewer},
        {VER_PLATFORM_WIN32_NT, 6, 2, TablePath::kUnsupported},
        {VER_PLATFORM_WIN32_NT, 10, 0, TablePath::kUnsupported},
        {VER_PLATFORM_WIN32_NT, 4, 0, TablePath::kUnsupported},
        {VER_PLATFORM_WIN32_WINDOWS, 5, 1, TablePath::kUnsupported},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qx::net::ChooseTablePath(c.platform, c.major, c.minor), c.path)
            << c.platform << " " << c.major << "." << c.minor;
    }
}

// A stand-in for GetExtendedTcpTable whose table grows by a row after each size
// query, for the first `growths` queries: a server accepting connections.
struct GrowingTable {
    int growths = 0;
    int queries = 0;
    DWORD rows = 3;
};
GrowingTable* growing = nullptr;

DWORD WINAPI FakeFetch(PVOID table, PDWORD size, BOOL, ULONG family, ULONG, ULONG) {
    EXPECT_EQ(family, 2u);
    const DWORD needed = 4 + growing->rows * 24;
    if (table == nullptr || *size < needed) {
        *size = needed;
        if (table == nullptr && growing->queries++ < growing->growths) ++growing->rows;
        return ERROR_INSUFFICIENT_BUFFER;
    }
    std::memcpy(table, &growing->rows, 4);
    return NO_ERROR;
}

DWORD WINAPI FailingFetch(PVOID table, PDWORD size, BOOL, ULONG, ULONG, ULONG) {
    if (table == nullptr) {
        *size = 28;
        return ERROR_INSUFFICIENT_BUFFER;
    }
    return ERROR_NOT_SUPPORTED;
}

TEST(FetchOwnerPidTable, AsksAgainWhileTheTableOutgrowsTheBuffer) {
    for (int growths = 0; growths < qx::net::kFetchAttempts; ++growths) {
        GrowingTable state{growths};
        growing = &state;
        void* table = nullptr;
        EXPECT_TRUE(qx::net::FetchOwnerPidTable(FakeFetch, 5, &table)) << growths;
        ASSERT_NE(table, nullptr);
        DWORD count = 0;
        std::memcpy(&count, table, 4);
        EXPECT_EQ(count, state.rows);
        LocalFree(table);
    }
}

TEST(FetchOwnerPidTable, GivesUpWhenTheTableKeepsGrowing) {
    GrowingTable state{1000};
    growing = &state;
    void* table = nullptr;
    EXPECT_FALSE(qx::net::FetchOwnerPidTable(FakeFetch, 5, &table));
    EXPECT_EQ(state.queries, qx::net::kFetchAttempts);
    // The last block is handed back for the caller to release.
    EXPECT_NE(table, nullptr);
    LocalFree(table);
}

TEST(FetchOwnerPidTable, OtherFailuresEndAtOnce) {
    void* table = nullptr;
    EXPECT_FALSE(qx::net::FetchOwnerPidTable(FailingFetch, 1, &table));
    EXPECT_NE(table, nullptr);
    LocalFree(table);
}

}  // namespace
