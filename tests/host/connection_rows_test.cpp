#include "host/connection_rows.h"

#include <gtest/gtest.h>

#include "host/qqwry.h"
#include "host/qqwry_writer.h"
#include "temp_database.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using qx::host::ConnectionRow;
using qx::net::TcpRow;
using qx::net::UdpRow;

std::u16string FakePath(std::uint32_t pid) {
    return pid == 4 ? u"NT OS Kernel" : u"/srv/web";
}

TEST(TcpStateName, NamesEveryStateAndMarksTheRest) {
    const std::u16string_view names[] = {u"???",        u"CLOSED",      u"LISTENING", u"SYN_SENT",
                                         u"SYN_RCVD",   u"ESTABLISHED", u"FIN_WAIT1", u"FIN_WAIT2",
                                         u"CLOSE_WAIT", u"CLOSING",     u"LAST_ACK",  u"TIME_WAIT",
                                         u"DELETE_TCB"};
    for (std::uint32_t state = 0; state < std::size(names); ++state) {
        EXPECT_EQ(qx::host::TcpStateName(state), names[state]) << state;
    }
    EXPECT_EQ(qx::host::TcpStateName(13), u"???");
    EXPECT_EQ(qx::host::TcpStateName(0xFFFFFFFF), u"???");
}

TEST(ConnectionRows, FormatsUdpRowsFirstThenTcpWithLocations) {
    TempDatabase file(qx::host::BuildQqwryDatabase({
        {0x01000000, 0x01FFFFFF, "one", "", 1},
        {0x3B000000, 0x3BFFFFFF, "far away", "", 3},
        {0xC0000000, 0xC0FFFFFF, "three", "", 1},
    }));
    CQQwry locations;
    locations.Open(file.path().u16string());

    const std::vector<UdpRow> udp = {{0x7F000001, 53, 812}, {0, 137, 4}};
    const std::vector<TcpRow> tcp = {
        {qx::net::kTcpListen, 0, 80, 0, 4711, 4},  // a listening port's remote port is noise
        {qx::net::kTcpEstablished, 0xC0A80002, 80, 0x3B010203, 443, 1200},
        {qx::net::kTcpTimeWait, 0x7F000001, 5000, 0x08080808, 53, 0},
        {99, 0x7F000001, 5001, 0x7F000001, 5002, 7},
    };
    const std::vector<ConnectionRow> rows =
        qx::host::FormatConnectionRows(udp, tcp, locations, FakePath);
    const std::vector<ConnectionRow> expected = {
        {u"UDP", u"127.0.0.1:53", u"*.*.*.*:*", u"*", u"812", u"/srv/web"},
        {u"UDP", u"0.0.0.0:137", u"*.*.*.*:*", u"*", u"4", u"NT OS Kernel"},
        {u"TCP", u"0.0.0.0:80", u"0.0.0.0:0", u"LISTENING", u"4", u"NT OS Kernel"},
        {u"TCP", u"192.168.0.2:80", u"59.1.2.3:443[ far away ]", u"ESTABLISHED", u"1200",
         u"/srv/web"},
        {u"TCP", u"127.0.0.1:5000", u"8.8.8.8:53[ 没有查到相关信息 ]", u"TIME_WAIT", u"0",
         u"/srv/web"},
        {u"TCP", u"127.0.0.1:5001", u"127.0.0.1:5002[ 没有查到相关信息 ]", u"???", u"7",
         u"/srv/web"},
    };
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].protocol, expected[i].protocol) << i;
        EXPECT_EQ(rows[i].local, expected[i].local) << i;
        EXPECT_EQ(rows[i].remote, expected[i].remote) << i;
        EXPECT_EQ(rows[i].state, expected[i].state) << i;
        EXPECT_EQ(rows[i].processId, expected[i].processId) << i;
        EXPECT_EQ(rows[i].processPath, expected[i].processPath) << i;
    }
}

TEST(ProcessPath, NamesThisProcessAndTheKernelForTheRest) {
    const std::u16string own = qx::host::ProcessPath(static_cast<std::uint32_t>(
#ifdef _WIN32
        GetCurrentProcessId()
#else
        getpid()
#endif
            ));
    EXPECT_NE(own.find(u"host_test"), std::u16string::npos);
    EXPECT_EQ(qx::host::ProcessPath(0), u"NT OS Kernel");
}

}  // namespace
