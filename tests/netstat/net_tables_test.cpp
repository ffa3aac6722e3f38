#include "net_tables.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using qx::net::TcpRow;
using qx::net::UdpRow;

// A table pinned down byte by byte: the window reads these offsets as they are.
TEST(NetTables, TcpTableHasTheFixedByteLayout) {
    void* table = qx::net::WriteTcpTable(
        {{qx::net::kTcpEstablished, 0x7F000001, 8080, 0xC0A80102, 443, 0x01020304}});
    ASSERT_NE(table, nullptr);
    const std::uint8_t expected[] = {
        1,    0,    0,    0,     // count
        5,    0,    0,    0,     // state
        0x7F, 0x00, 0x00, 0x01,  // local address, first octet first
        0x1F, 0x90, 0,    0,     // local port, network order
        0xC0, 0xA8, 0x01, 0x02,  // remote address
        0x01, 0xBB, 0,    0,     // remote port
        0x04, 0x03, 0x02, 0x01,  // process id, little-endian
    };
    EXPECT_EQ(std::memcmp(table, expected, sizeof expected), 0);
    qx::net::ReleaseTable(table);
}

TEST(NetTables, UdpTableHasTheFixedByteLayout) {
    void* table = qx::net::WriteUdpTable({{0x0A000001, 53, 7}, {0, 137, 4}});
    ASSERT_NE(table, nullptr);
    const std::uint8_t expected[] = {
        2,  0, 0, 0,                            // count
        10, 0, 0, 1, 0, 53,  0, 0, 7, 0, 0, 0,  // 10.0.0.1:53, pid 7
        0,  0, 0, 0, 0, 137, 0, 0, 4, 0, 0, 0,  // 0.0.0.0:137, pid 4
    };
    EXPECT_EQ(std::memcmp(table, expected, sizeof expected), 0);
    qx::net::ReleaseTable(table);
}

TEST(NetTables, RowsSurviveTheRoundTrip) {
    const std::vector<TcpRow> tcp = {{2, 0, 80, 0, 0, 4},
                                     {11, 0xFFFFFFFF, 65535, 0x01020304, 1, 0xFFFFFFFF}};
    const std::vector<UdpRow> udp = {{0x7F000001, 5353, 99}};
    void* tcpTable = qx::net::WriteTcpTable(tcp);
    void* udpTable = qx::net::WriteUdpTable(udp);
    EXPECT_EQ(qx::net::ReadTcpTable(tcpTable), tcp);
    EXPECT_EQ(qx::net::ReadUdpTable(udpTable), udp);
    qx::net::ReleaseTable(tcpTable);
    qx::net::ReleaseTable(udpTable);

    void* empty = qx::net::WriteTcpTable({});
    EXPECT_TRUE(qx::net::ReadTcpTable(empty).empty());
    qx::net::ReleaseTable(empty);
    EXPECT_TRUE(qx::net::ReadTcpTable(nullptr).empty());
    EXPECT_TRUE(qx::net::ReadUdpTable(nullptr).empty());
}

}  // namespace
