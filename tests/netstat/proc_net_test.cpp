#include "proc_net_linux.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

#include "net_tables.h"
#include "pelvoro.h"

namespace {

using qx::net::ProcSocket;

TEST(ProcNet, ParsesTheKernelTable) {
    const char* text =
        "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  "
        "timeout inode\n"
        "   0: 0100007F:1F90 00000000:0000 0A 00000000:00000000 00:00000000 00000000  1000        "
        "0 424242 1 0000000000000000 100 0 0 10 0\n"
        "   1: 0201A8C0:0050 0302010A:C350 01 00000000:00000000 02:000A7B2E 00000000    33        "
        "0 0 2 0000000000000000 20 4 30 10 -1\n"
        "   2: garbage\n";
    const std::vector<ProcSocket> sockets = qx::net::ParseProcNetTable(text);
    ASSERT_EQ(sockets.size(), 2u);
    EXPECT_EQ(sockets[0].localAddress, 0x7F000001u);
    EXPECT_EQ(sockets[0].localPort, 8080);
    EXPECT_EQ(sockets[0].remoteAddress, 0u);
    EXPECT_EQ(sockets[0].kernelState, 10u);
    EXPECT_EQ(sockets[0].inode, 424242u);
    EXPECT_EQ(sockets[1].localAddress, 0xC0A80102u);
    EXPECT_EQ(sockets[1].localPort, 80);
    EXPECT_EQ(sockets[1].remoteAddress, 0x0A010203u);
    EXPECT_EQ(sockets[1].remotePort, 50000);
    EXPECT_EQ(sockets[1].inode, 0u);
}

// IPv6 addresses come as four words in host order: ::1 on a little-endian
// machine reads 00000000000000000000000001000000.
TEST(ProcNet, ParsesTheKernelIpv6Table) {
    const char* text =
        "  sl  local_address                         remote_address                        st "
        "tx_queue rx_queue tr tm->when retrnsmt   uid  timeout inode\n"
        "   0: 00000000000000000000000001000000:1F90 00000000000000000000000000000000:0000 0A "
        "00000000:00000000 00:00000000 00000000     0        0 77 1 0000000000000000 100 0 0 10 "
        "0\n"
        "   1: 00000000000000000000000001000000:1F90 short\n";
    const auto sockets = qx::net::ParseProcNet6Table(text);
    ASSERT_EQ(sockets.size(), 1u);
    qx::net::Ipv6Address loopback{};
    loopback[15] = 1;
    if (htonl(1) != 1) {  // little-endian
        EXPECT_EQ(sockets[0].localAddress, loopback);
    }
    EXPECT_EQ(sockets[0].localPort, 8080);
    EXPECT_EQ(sockets[0].remoteAddress, qx::net::Ipv6Address{});
    EXPECT_EQ(sockets[0].kernelState, 10u);
    EXPECT_EQ(sockets[0].inode, 77u);
}

TEST(ProcNet, MapsKernelStatesToMibStates) {
    const std::uint32_t expected[] = {0, 5, 3, 4, 6, 7, 11, 1, 8, 10, 2, 9, 4, 0};
    for (std::uint32_t state = 0; state < std::size(expected); ++state) {
        EXPECT_EQ(qx::net::MibTcpState(state), expected[state]) << state;
    }
}

TEST(ProcNet, SortsRowsByLocalEndpointAndGivesOwners) {
    const std::vector<ProcSocket> sockets = {
        {0x7F000001, 9000, 0x7F000001, 2, 1, 11},
        {0x7F000001, 80, 0, 0, 10, 12},
        {0, 443, 0, 0, 10, 13},
        {0x7F000001, 9000, 0x7F000001, 1, 1, 0},
    };
    const auto rows = qx::net::MakeTcpRows(sockets, {{11, 500}, {12, 501}});
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], (qx::net::TcpRow{2, 0, 443, 0, 0, 0}));
    EXPECT_EQ(rows[1], (qx::net::TcpRow{2, 0x7F000001, 80, 0, 0, 501}));
    EXPECT_EQ(rows[2], (qx::net::TcpRow{5, 0x7F000001, 9000, 0x7F000001, 1, 0}));
    EXPECT_EQ(rows[3], (qx::net::TcpRow{5, 0x7F000001, 9000, 0x7F000001, 2, 500}));
}

// Sockets the test opens on 127.0.0.1, found in the library's tables.
class LiveTables : public ::testing::Test {
  protected:
    static std::uint16_t BoundPort(int fd) {
        sockaddr_in address{};
        socklen_t length = sizeof address;
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        return ntohs(address.sin_port);
    }

    static int Bound(int type) {
        const int fd = socket(AF_INET, type | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        return fd;
    }

    void SetUp() override {
        listener_ = Bound(SOCK_STREAM);
        ASSERT_EQ(listen(listener_, 4), 0);
        client_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(BoundPort(listener_));
        ASSERT_EQ(connect(client_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        accepted_ = accept(listener_, nullptr, nullptr);
        ASSERT_GE(accepted_, 0);
        udp_ = Bound(SOCK_DGRAM);
    }

    void TearDown() override {
        for (int fd : {listener_, client_, accepted_, udp_}) close(fd);
    }

    int listener_ = -1, client_ = -1, accepted_ = -1, udp_ = -1;
};

TEST_F(LiveTables, ListTheTestsOwnSockets) {
    void* tcpTable = nullptr;
    void* udpTable = nullptr;
    ASSERT_EQ(GetNetStat(&tcpTable, &udpTable), 1);
    const auto tcp = qx::net::ReadTcpTable(tcpTable);
    const auto udp = qx::net::ReadUdpTable(udpTable);
    qx::net::ReleaseTable(tcpTable);
    qx::net::ReleaseTable(udpTable);

    const auto pid = static_cast<std::uint32_t>(getpid());
    const std::uint16_t serverPort = BoundPort(listener_);
    const std::uint16_t clientPort = BoundPort(client_);
    const std::vector<qx::net::TcpRow> wanted = {
        {qx::net::kTcpListen, 0x7F000001, serverPort, 0, 0, pid},
        {qx::net::kTcpEstablished, 0x7F000001, serverPort, 0x7F000001, clientPort, pid},
        {qx::net::kTcpEstablished, 0x7F000001, clientPort, 0x7F000001, serverPort, pid},
    };
    for (const auto& row : wanted) {
        EXPECT_NE(std::find(tcp.begin(), tcp.end(), row), tcp.end())
            << "state " << row.state << " port " << row.localPort;
    }
    const qx::net::UdpRow udpRow{0x7F000001, BoundPort(udp_), pid};
    EXPECT_NE(std::find(udp.begin(), udp.end(), udpRow), udp.end());

    const auto key = [](const auto& row) { return std::pair(row.localAddress, row.localPort); };
    EXPECT_TRUE(std::is_sorted(tcp.begin(), tcp.end(),
                               [&](const auto& a, const auto& b) { return key(a) < key(b); }));
    EXPECT_TRUE(std::is_sorted(udp.begin(), udp.end(),
                               [&](const auto& a, const auto& b) { return key(a) < key(b); }));
}

}  // namespace
