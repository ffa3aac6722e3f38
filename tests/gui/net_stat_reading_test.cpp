// One reading of the network page: the connection library loaded by path for
// the reading, its answer turned into the page's rows or outcome.
#include <winsock2.h>
// after winsock2.h, which must come first
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "net_stat_reading.h"
#include "qqwry.h"

namespace {

using qx::netview::NetStatSnapshot;
using Outcome = NetStatSnapshot::Outcome;

std::wstring BesideThisProgram(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return (std::filesystem::path(path).parent_path() / name).wstring();
}

// GetVersionEx as the library sees it: only 5.0-5.2 and 6.0-6.1 are served.
bool SupportedVersion() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ::GetVersionExW(&version);
#pragma GCC diagnostic pop
    return (version.dwMajorVersion == 5 && version.dwMinorVersion <= 2) ||
           (version.dwMajorVersion == 6 && version.dwMinorVersion <= 1);
}

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

TEST(NetStatReading, TheLibraryBesideTheProgramListsAListeningSocketOrRefusesTheSystem) {
    WSADATA winsock;
    ASSERT_EQ(::WSAStartup(MAKEWORD(2, 2), &winsock), 0);
    SOCKET listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    int length = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    const std::u16string local = u"127.0.0.1:" + [&] {
        const std::string port = std::to_string(ntohs(address.sin_port));
        return std::u16string(port.begin(), port.end());
    }();

    CQQwry noDatabase;
    const NetStatSnapshot snapshot =
        qx::netview::ReadNetStat(BesideThisProgram(L"Pelvoro.dll"), noDatabase);
    ::closesocket(listener);
    ::WSACleanup();

    EXPECT_EQ(::GetModuleHandleW(BesideThisProgram(L"Pelvoro.dll").c_str()), nullptr)
        << "the library is released after the reading";
    if (!SupportedVersion()) {
        EXPECT_EQ(snapshot.outcome, Outcome::kUnsupported);
        EXPECT_TRUE(snapshot.rows.empty());
        return;
    }
    ASSERT_EQ(snapshot.outcome, Outcome::kListed);
    const auto row = std::find_if(snapshot.rows.begin(), snapshot.rows.end(), [&](const auto& r) {
        return r.protocol == u"TCP" && r.local == local;
    });
    ASSERT_NE(row, snapshot.rows.end());
    EXPECT_EQ(row->remote, u"0.0.0.0:0");
    EXPECT_EQ(row->state, u"LISTENING");
}

}  // namespace
