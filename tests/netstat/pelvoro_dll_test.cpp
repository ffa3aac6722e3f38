// Pelvoro.dll as the window loads it, under the Windows version that
// QX_EXPECT_VERSION names: "win7" must give both tables, "win10" neither.
#include <winsock2.h>
// after winsock2.h, which must come first
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "net_tables.h"
#include "pelvoro.h"

namespace {

std::string Describe(const std::vector<qx::net::TcpRow>& tcp,
                     const std::vector<qx::net::UdpRow>& udp) {
    std::string text;
    for (const auto& row : tcp) {
        text += " tcp " + std::to_string(row.state) + " " + std::to_string(row.localAddress) + ":" +
                std::to_string(row.localPort) + " pid " + std::to_string(row.processId);
    }
    for (const auto& row : udp) {
        text += " udp " + std::to_string(row.localAddress) + ":" + std::to_string(row.localPort) +
                " pid " + std::to_string(row.processId);
    }
    return text;
}

std::string ExpectedVersion() {
    const char* version = std::getenv("QX_EXPECT_VERSION");
    return version == nullptr ? "" : version;
}

class PelvoroDll : public ::testing::Test {
  protected:
    void SetUp() override {
        library_ = LoadLibraryW(L"Pelvoro.dll");
        ASSERT_NE(library_, nullptr);
        byName_ = reinterpret_cast<GetNetStatFunction>(
            reinterpret_cast<void*>(GetProcAddress(library_, "GetNetStat")));
        byOrdinal_ = reinterpret_cast<GetNetStatFunction>(
            reinterpret_cast<void*>(GetProcAddress(library_, MAKEINTRESOURCEA(1))));
    }
    void TearDown() override {
        if (library_ != nullptr) FreeLibrary(library_);
    }

    HMODULE library_ = nullptr;
    GetNetStatFunction byName_ = nullptr;
    GetNetStatFunction byOrdinal_ = nullptr;
};

TEST_F(PelvoroDll, ExportsGetNetStatByNameAndOrdinalOne) {
    ASSERT_NE(byName_, nullptr);
    EXPECT_EQ(byName_, byOrdinal_);
}

TEST_F(PelvoroDll, AnswersForTheReportedWindowsVersion) {
    const std::string version = ExpectedVersion();
    ASSERT_TRUE(version == "win7" || version == "win10") << "QX_EXPECT_VERSION=" << version;

    WSADATA winsock;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &winsock), 0);
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    SOCKET udp = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 4), 0);
    ASSERT_EQ(bind(udp, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const auto portOf = [](SOCKET s) {
        sockaddr_in bound{};
        int length = sizeof bound;
        getsockname(s, reinterpret_cast<sockaddr*>(&bound), &length);
        return ntohs(bound.sin_port);
    };

    void* tcpTable = nullptr;
    void* udpTable = nullptr;
    const int result = byName_(&tcpTable, &udpTable);
    const auto tcp = qx::net::ReadTcpTable(tcpTable);
    const auto udpRows = qx::net::ReadUdpTable(udpTable);
    if (tcpTable != nullptr) LocalFree(tcpTable);
    if (udpTable != nullptr) LocalFree(udpTable);

    if (version == "win10") {
        EXPECT_EQ(result, 0);
        EXPECT_EQ(tcpTable, nullptr);
        EXPECT_EQ(udpTable, nullptr);
    } else {
        EXPECT_EQ(result, 1);
        ASSERT_NE(tcpTable, nullptr);
        ASSERT_NE(udpTable, nullptr);
        // Wine (8.0) does not know which process owns a socket and reports 0;
        // Windows reports this process.
        const auto pid = static_cast<std::uint32_t>(GetCurrentProcessId());
        const auto owner = [pid](std::uint32_t id) { return id == pid || id == 0; };
        const auto listening = std::find_if(tcp.begin(), tcp.end(), [&](const auto& row) {
            return row.state == qx::net::kTcpListen && row.localAddress == 0x7F000001 &&
                   row.localPort == portOf(listener) && row.remoteAddress == 0 &&
                   owner(row.processId);
        });
        EXPECT_NE(listening, tcp.end()) << "pid " << pid << ":" << Describe(tcp, udpRows);
        const auto bound = std::find_if(udpRows.begin(), udpRows.end(), [&](const auto& row) {
            return row.localAddress == 0x7F000001 && row.localPort == portOf(udp) &&
                   owner(row.processId);
        });
        EXPECT_NE(bound, udpRows.end()) << "pid " << pid << ":" << Describe(tcp, udpRows);
    }
    closesocket(listener);
    closesocket(udp);
    WSACleanup();
}

}  // namespace
