// A reading of the network page without its connection library: no rows and
// no message (the page's own test covers readings with the library).
#include <windows.h>

#include <gtest/gtest.h>

#include "host/qqwry.h"
#include "netview/net_stat_reading.h"

namespace {

using qx::netview::NetStatSnapshot;
using Outcome = NetStatSnapshot::Outcome;

TEST(NetStatReading, AMissingLibraryOrExportGivesNoRowsAndNoMessage) {
    CQQwry noDatabase;
    const struct {
        const wchar_t* path;
        const char* why;
    } cases[] = {
        {L"Z:\\nonexistent\\Pelvoro.dll", "no file"},
        {L"kernel32.dll", "a library without GetNetStat"},
    };
    for (const auto& c : cases) {
        const NetStatSnapshot snapshot = qx::netview::ReadNetStat(c.path, noDatabase);
        EXPECT_EQ(snapshot.outcome, Outcome::kNoLibrary) << c.why;
        EXPECT_TRUE(snapshot.rows.empty()) << c.why;
    }
}

}  // namespace
