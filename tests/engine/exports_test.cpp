// The shipped library exports the 19 functions under their ordinals 1 to 19:
// each is resolved by ordinal, must be the function of that name, and must
// answer a null handle as documented.
#include <windows.h>

#include <gtest/gtest.h>

#include "quellix.h"

namespace {

const char* const kNames[] = {
    "QuellixOpen",           "QuellixClose",          "WebShellSetCleanCodeA",
    "WebShellSetCleanCodeW", "WebShellSetCallbackA",  "WebShellSetCallbackW",
    "WebShellStartCleanA",   "WebShellStartCleanW",   "WebShellStopClean",
    "WebShellGetCleanCount", "WebTrojanScanOpen",     "WebTrojanScanClose",
    "WebTrojanSetCheckType", "WebTrojanSetCallbackA", "WebTrojanSetCallbackW",
    "WebTrojanStartScanA",   "WebTrojanStartScanW",   "WebTrojanStopScan",
    "WebTrojanGetScanCount",
};

template <class F>
F ByOrdinal(HMODULE module, int ordinal) {
    return reinterpret_cast<F>(
        reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(ordinal))));
}

TEST(Exports, OrdinalsNameTheFunctions) {
    HMODULE module = LoadLibraryW(L"Quellix.dll");
    ASSERT_NE(module, nullptr);
    for (int ordinal = 1; ordinal <= 19; ++ordinal) {
        FARPROC by_ordinal = GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
        ASSERT_NE(by_ordinal, nullptr) << ordinal;
        EXPECT_EQ(by_ordinal, GetProcAddress(module, kNames[ordinal - 1])) << kNames[ordinal - 1];
    }
    EXPECT_EQ(GetProcAddress(module, MAKEINTRESOURCEA(20)), nullptr);

    // Calls through the ordinals, as the program makes them.
    void* clean = ByOrdinal<decltype(&QuellixOpen)>(module, 1)();
    ASSERT_NE(clean, nullptr);
    EXPECT_EQ(ByOrdinal<decltype(&WebShellSetCleanCodeA)>(module, 3)(clean, "<x>"), 1);
    EXPECT_EQ(ByOrdinal<decltype(&WebShellSetCleanCodeW)>(module, 4)(clean, L"<y>"), 1);
    EXPECT_EQ(ByOrdinal<decltype(&WebShellSetCallbackA)>(module, 5)(nullptr, nullptr), 0);
    EXPECT_EQ(ByOrdinal<decltype(&WebShellSetCallbackW)>(module, 6)(clean, nullptr), 1);
    EXPECT_EQ(ByOrdinal<decltype(&WebShellStartCleanA)>(module, 7)(clean, ""), 0);
    EXPECT_EQ(ByOrdinal<decltype(&WebShellStartCleanW)>(module, 8)(clean, L""), 0);
    ByOrdinal<decltype(&WebShellStopClean)>(module, 9)(clean);
    int a = -1, b = -1, c = -1;
    EXPECT_EQ(ByOrdinal<decltype(&WebShellGetCleanCount)>(module, 10)(clean, &a, &b), 0);
    EXPECT_EQ(a + b, 0);
    EXPECT_EQ(ByOrdinal<decltype(&QuellixClose)>(module, 2)(clean), 1);

    void* scan = ByOrdinal<decltype(&WebTrojanScanOpen)>(module, 11)();
    ASSERT_NE(scan, nullptr);
    EXPECT_EQ(ByOrdinal<decltype(&WebTrojanSetCheckType)>(module, 13)(scan, 1, 0, 1, 0), 1);
    EXPECT_EQ(ByOrdinal<decltype(&WebTrojanSetCallbackA)>(module, 14)(scan, nullptr), 1);
    EXPECT_EQ(ByOrdinal<decltype(&WebTrojanSetCallbackW)>(module, 15)(nullptr, nullptr), 0);
    EXPECT_EQ(ByOrdinal<decltype(&WebTrojanStartScanA)>(module, 16)(scan, nullptr), 0);
    EXPECT_EQ(ByOrdinal<decltype(&WebTrojanStartScanW)>(module, 17)(scan, nullptr), 0);
    ByOrdinal<decltype(&WebTrojanStopScan)>(module, 18)(scan);
    EXPECT_EQ(ByOrdinal<decltype(&WebTrojanGetScanCount)>(module, 19)(scan, &a, &b, &c), 0);
    EXPECT_EQ(ByOrdinal<decltype(&WebTrojanScanClose)>(module, 12)(scan), 1);
    FreeLibrary(module);
}

}  // namespace
