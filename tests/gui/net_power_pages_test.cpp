// The network and power records pages of Morvane.exe, driven from another
// process. The program runs from a folder of the test's own, beside its DLLs
// and a generated QQWry.dat, under the Windows version each suite asks Wine
// for. The test's sockets on 127.0.0.1 are what the network page must list.
#include <winsock2.h>
// after winsock2.h, which must come first
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/qqwry_writer.h"
#include "remote_list_view.h"
#include "window_driver.h"

namespace {

namespace fs = std::filesystem;
using Rows = std::vector<std::vector<std::wstring>>;

constexpr int kPageScan = 1000;
constexpr int kPageNet = 1002;
constexpr int kPagePower = 1003;
constexpr int kClose = 1007;
constexpr int kRefresh = 1026;
constexpr int kList = 1015;

constexpr wchar_t kNetCaption[] = L"查看当前网络连接状态，并显示远程访问IP所处方位";
constexpr wchar_t kPowerCaption[] = L"获取主机近期内开机、关机时间记录信息";
constexpr wchar_t kUnsupported[] = L"不支持该操作系统";
constexpr wchar_t kLoopbackLocation[] = L"本机地址";

fs::path g_runFolder;

std::wstring TextOf(HWND window) {
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return text;
}

HWND ChildWithText(HWND parent, const std::wstring& text) {
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (TextOf(child) == text) return child;
    return nullptr;
}

// The page of the main window that carries the static text caption.
HWND PageWithCaption(HWND window, const wchar_t* caption) {
    for (HWND page = ::GetWindow(window, GW_CHILD); page; page = ::GetWindow(page, GW_HWNDNEXT))
        if (ChildWithText(page, caption)) return page;
    return nullptr;
}

// Program folder: Morvane.exe with every DLL beside it, and a database where
// 127.0.0.0/8 is "本机地址" (GBK) behind a redirection, between two other ranges.
void PrepareRunFolder(const fs::path& folder) {
    const fs::path source = fs::path(MorvanePath()).parent_path();
    fs::create_directories(folder);
    const auto copy = [&](const fs::path& from) {
        if (!::CopyFileW(from.c_str(), (folder / from.filename()).c_str(), FALSE))
            throw std::runtime_error("cannot copy " + from.string());
    };
    copy(MorvanePath());
    for (const fs::directory_entry& entry : fs::directory_iterator(source)) {
        const std::wstring extension = entry.path().extension().wstring();
        if (_wcsicmp(extension.c_str(), L".dll") == 0 || entry.path().filename() == "quellix.exe")
            copy(entry.path());
    }
    const std::vector<qx::host::QqwryRecord> records = {
        {0x00000000, 0x7EFFFFFF, "\xCE\xB4\xD6\xAA", "A", 1},                  // 未知
        {0x7F000000, 0x7FFFFFFF, "\xB1\xBE\xBB\xFA\xB5\xD8\xD6\xB7", "B", 8},  // 本机地址
        {0x80000000, 0xFFFFFFFF, "\xCE\xB4\xD6\xAA", "C", 3},
    };
    qx::host::WriteQqwryFile(folder / "QQWry.dat", qx::host::BuildQqwryDatabase(records));
}

// Wine reads a program's Windows version when the program starts.
void SetMorvaneWindowsVersion(const wchar_t* version) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\Morvane.exe", 0,
                                nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const auto bytes = static_cast<DWORD>((wcslen(version) + 1) * sizeof(wchar_t));
    EXPECT_EQ(
        ::RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version), bytes),
        ERROR_SUCCESS);
    ::RegCloseKey(key);
}

struct Socket {
    SOCKET handle = INVALID_SOCKET;
    explicit Socket(SOCKET s) : handle(s) {}
    ~Socket() {
        if (handle != INVALID_SOCKET) ::closesocket(handle);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int Port() const {
        sockaddr_in bound{};
        int length = sizeof bound;
        ::getsockname(handle, reinterpret_cast<sockaddr*>(&bound), &length);
        return ntohs(bound.sin_port);
    }
};

sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<u_short>(port));
    return address;
}

std::unique_ptr<Socket> Listen() {
    auto s = std::make_unique<Socket>(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_in address = Loopback(0);
    if (::bind(s->handle, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(s->handle, 4) != 0)
        return nullptr;
    return s;
}

std::wstring Endpoint(int port) {
    return L"127.0.0.1:" + std::to_wstring(port);
}

// A process id column that names this process or, as Wine has it, 0; the path
// column follows the id.
void ExpectOwnedByThisProcess(const std::vector<std::wstring>& row) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring pid = std::to_wstring(::GetCurrentProcessId());
    if (row[4] == L"0")
        EXPECT_EQ(row[5], L"NT OS Kernel");
    else {
        EXPECT_EQ(row[4], pid);
        EXPECT_EQ(row[5], self);
    }
}

// The rows of one endpoint (or pair of endpoints).
std::vector<const std::vector<std::wstring>*> RowsOf(const Rows& rows, const std::wstring& protocol,
                                                     const std::wstring& local,
                                                     const std::wstring& remote) {
    std::vector<const std::vector<std::wstring>*> found;
    for (const auto& row : rows)
        if (row[0] == protocol && row[1] == local && row[2] == remote) found.push_back(&row);
    return found;
}

std::string Describe(const Rows& rows) {
    std::wstring text;
    for (const auto& row : rows) {
        for (const auto& cell : row) text += cell + L" | ";
        text += L"\n";
    }
    std::string narrow(text.size() * 3 + 1, '\0');
    narrow.resize(static_cast<size_t>(
        ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                              narrow.data(), static_cast<int>(narrow.size()), nullptr, nullptr)));
    return narrow;
}

// Morvane.exe from the run folder under one Windows version, for one suite.
class MorvaneSuite : public ::testing::Test {
  protected:
    static void StartUnder(const wchar_t* version) {
        SetMorvaneWindowsVersion(version);
        process = std::make_unique<MorvaneProcess>();
        started = process->Start((g_runFolder / "Morvane.exe").wstring());
        if (!started) return;
        window = process->MainWindow();
        netPage = PageWithCaption(window, kNetCaption);
        powerPage = PageWithCaption(window, kPowerCaption);
    }
    static void Stop() {
        process.reset();
        started = false;
    }
    void SetUp() override {
        ASSERT_TRUE(started) << "Morvane.exe did not show its window";
        ASSERT_NE(netPage, nullptr);
        ASSERT_NE(powerPage, nullptr);
    }

    static void ShowPage(int button, HWND page) {
        ClickControl(::GetDlgItem(window, button));
        ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(page) != FALSE; }));
    }
    // Takes the pointer off the page buttons (and their tooltips) for a screenshot.
    static bool ScreenshotOfPage(const char* name, HWND page) {
        RECT list{};
        ::GetWindowRect(::GetDlgItem(page, kList), &list);
        ::SetCursorPos(list.right - 40, list.bottom - 40);
        ::Sleep(500);
        return Screenshot(name, window);
    }
    static bool Idle(HWND page) { return ::IsWindowEnabled(::GetDlgItem(page, kRefresh)) != FALSE; }

    // The visible message boxes of the program that say the system is unsupported.
    static std::vector<HWND> UnsupportedBoxes() {
        struct Search {
            DWORD processId;
            std::vector<HWND> found;
        } search{0, {}};
        ::GetWindowThreadProcessId(window, &search.processId);
        ::EnumWindows(
            [](HWND candidate, LPARAM lp) -> BOOL {
                auto* s = reinterpret_cast<Search*>(lp);
                DWORD owner = 0;
                ::GetWindowThreadProcessId(candidate, &owner);
                wchar_t className[64] = {};
                ::GetClassNameW(candidate, className, 64);
                if (owner == s->processId && ::IsWindowVisible(candidate) &&
                    std::wstring(className) == L"#32770" && ChildWithText(candidate, kUnsupported))
                    s->found.push_back(candidate);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    static inline std::unique_ptr<MorvaneProcess> process;
    static inline bool started = false;
    static inline HWND window = nullptr;
    static inline HWND netPage = nullptr;
    static inline HWND powerPage = nullptr;
};

// Windows 7: the connection tables are there.
class SupportedSystem : public MorvaneSuite {
  protected:
    static void SetUpTestSuite() {
        WSADATA winsock;
        ::WSAStartup(MAKEWORD(2, 2), &winsock);
        listener = Listen();
        if (listener) {
            client = std::make_unique<Socket>(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
            sockaddr_in address = Loopback(listener->Port());
            ::connect(client->handle, reinterpret_cast<sockaddr*>(&address), sizeof address);
            server = std::make_unique<Socket>(::accept(listener->handle, nullptr, nullptr));
        }
        udp = std::make_unique<Socket>(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
        sockaddr_in address = Loopback(0);
        ::bind(udp->handle, reinterpret_cast<sockaddr*>(&address), sizeof address);
        StartUnder(L"win7");
    }
    static void TearDownTestSuite() {
        Stop();
        server.reset();
        client.reset();
        listener.reset();
        udp.reset();
        ::WSACleanup();
    }
    void SetUp() override {
        MorvaneSuite::SetUp();
        ASSERT_NE(listener, nullptr);
        ASSERT_NE(server->handle, INVALID_SOCKET);
    }

    static Rows NetRows() { return RemoteListView(::GetDlgItem(netPage, kList)).Rows(6); }
    // Waits for a refresh to end with a list that holds the listener.
    static bool ListedAfterRefresh(int port) {
        return WaitUntil(
            [&] {
                return Idle(netPage) &&
                       !RowsOf(NetRows(), L"TCP", Endpoint(port), L"0.0.0.0:0").empty();
            },
            20000);
    }

    // The test's sockets as the page must show them.
    struct OwnRow {
        std::wstring protocol, local, remote, state;
    };
    static std::vector<OwnRow> OwnRows() {
        const std::wstring location = std::wstring(L"[ ") + kLoopbackLocation + L" ]";
        const int port = listener->Port();
        const int clientPort = client->Port();
        return {
            {L"TCP", Endpoint(port), L"0.0.0.0:0", L"LISTENING"},
            {L"TCP", Endpoint(clientPort), Endpoint(port) + location, L"ESTABLISHED"},
            {L"TCP", Endpoint(port), Endpoint(clientPort) + location, L"ESTABLISHED"},
            {L"UDP", Endpoint(udp->Port()), L"*.*.*.*:*", L"*"},
        };
    }

    static inline std::unique_ptr<Socket> listener, client, server, udp;
};

TEST_F(SupportedSystem, FirstShowingListsTheTestsSocketsWithTheirLocations) {
    ASSERT_EQ(::GetACP(), 936u) << "the database's GBK locations need the Chinese code page";
    ShowPage(kPageNet, netPage);
    ASSERT_TRUE(ListedAfterRefresh(listener->Port())) << Describe(NetRows());
    const Rows rows = NetRows();
    SCOPED_TRACE(Describe(rows));

    for (const OwnRow& own : OwnRows()) {
        const auto found = RowsOf(rows, own.protocol, own.local, own.remote);
        ASSERT_EQ(found.size(), 1u) << Describe({{own.protocol, own.local, own.remote}});
        EXPECT_EQ((*found[0])[3], own.state);
        ExpectOwnedByThisProcess(*found[0]);
    }

    // UDP rows first, then TCP rows.
    const auto firstTcp =
        std::find_if(rows.begin(), rows.end(), [](const auto& row) { return row[0] == L"TCP"; });
    EXPECT_TRUE(
        std::all_of(firstTcp, rows.end(), [](const auto& row) { return row[0] == L"TCP"; }));
    EXPECT_TRUE(
        std::all_of(rows.begin(), firstTcp, [](const auto& row) { return row[0] == L"UDP"; }));

    // Every row carries the icon of its process path.
    RemoteListView list(::GetDlgItem(netPage, kList));
    for (int i = 0; i < list.ItemCount(); ++i) EXPECT_GE(list.Image(i), 0) << "row " << i;

    EXPECT_TRUE(ScreenshotOfPage("network-page", netPage));
}

TEST_F(SupportedSystem, NetworkListIsASkinnedReportOfSixColumns) {
    HWND listWindow = ::GetDlgItem(netPage, kList);
    RemoteListView list(listWindow);
    ASSERT_TRUE(list.Usable());
    EXPECT_EQ(list.Headings(), (std::vector<std::wstring>{L"协议", L"本地地址", L"远程地址",
                                                          L"状态", L"进程ID", L"进程路径"}));
    const int widths[] = {50, 140, 200, 80, 50, 292};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(list.ColumnWidth(i), widths[i]) << "column " << i;

    const LONG_PTR style = ::GetWindowLongPtrW(listWindow, GWL_STYLE);
    EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_TRUE(style & LVS_SINGLESEL);
    EXPECT_TRUE(style & LVS_SHAREIMAGELISTS) << "the system's icon list is not the list's to free";
    EXPECT_EQ(::SendMessageW(listWindow, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0),
              LVS_EX_FULLROWSELECT | LVS_EX_FLATSB);
    EXPECT_NE(::SendMessageW(listWindow, LVM_GETIMAGELIST, LVSIL_SMALL, 0), 0);

    RECT header{};
    ::GetWindowRect(reinterpret_cast<HWND>(::SendMessageW(listWindow, LVM_GETHEADER, 0, 0)),
                    &header);
    EXPECT_EQ(header.bottom - header.top, 20);
    HWND button = ::GetDlgItem(netPage, kRefresh);
    EXPECT_EQ(::GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
}

TEST_F(SupportedSystem, ShowingThePageAgainKeepsTheListAndTheButtonRefreshesIt) {
    ShowPage(kPageNet, netPage);
    ASSERT_TRUE(ListedAfterRefresh(listener->Port()));
    const auto second = Listen();
    ASSERT_NE(second, nullptr);

    ClickControl(::GetDlgItem(window, kPageScan));
    ASSERT_TRUE(WaitUntil([] { return !::IsWindowVisible(netPage); }));
    ShowPage(kPageNet, netPage);
    ::Sleep(1500);
    EXPECT_TRUE(RowsOf(NetRows(), L"TCP", Endpoint(second->Port()), L"0.0.0.0:0").empty())
        << "a later showing does not read the tables again";

    ClickControl(::GetDlgItem(netPage, kRefresh));
    EXPECT_TRUE(ListedAfterRefresh(second->Port())) << Describe(NetRows());
    EXPECT_EQ(RowsOf(NetRows(), L"TCP", Endpoint(listener->Port()), L"0.0.0.0:0").size(), 1u);
}

TEST_F(SupportedSystem, RefreshCommandsInARowListTheSocketsOnce) {
    ShowPage(kPageNet, netPage);
    ASSERT_TRUE(ListedAfterRefresh(listener->Port()));
    HWND button = ::GetDlgItem(netPage, kRefresh);
    for (int i = 0; i < 5; ++i)
        ::SendMessageW(netPage, WM_COMMAND, MAKEWPARAM(kRefresh, BN_CLICKED),
                       reinterpret_cast<LPARAM>(button));
    ASSERT_TRUE(ListedAfterRefresh(listener->Port()));
    const Rows rows = NetRows();
    for (const OwnRow& own : OwnRows())
        EXPECT_EQ(RowsOf(rows, own.protocol, own.local, own.remote).size(), 1u) << Describe(rows);
}

// The power page lists what `quellix power` lists from the same event log.
Rows QuellixPowerRows() {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return {{L"no pipe"}};
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    const std::wstring program = (g_runFolder / "quellix.exe").wstring();
    std::wstring commandLine = L"\"" + program + L"\" power";
    PROCESS_INFORMATION info{};
    const BOOL created =
        ::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                         CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info);
    ::CloseHandle(writeEnd);
    if (!created) {
        ::CloseHandle(readEnd);
        return {{L"quellix.exe did not start"}};
    }
    std::string output;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read > 0)
        output.append(buffer, read);
    ::WaitForSingleObject(info.hProcess, 30000);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    ::CloseHandle(readEnd);

    std::wstring text(output.size(), L'\0');
    text.resize(static_cast<size_t>(
        ::MultiByteToWideChar(CP_UTF8, 0, output.data(), static_cast<int>(output.size()),
                              text.data(), static_cast<int>(text.size()))));
    Rows rows;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(start, end - start);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        std::vector<std::wstring> row;
        for (size_t from = 0;;) {
            const size_t tab = line.find(L'\t', from);
            row.push_back(line.substr(from, tab - from));
            if (tab == std::wstring::npos) break;
            from = tab + 1;
        }
        if (!line.empty()) rows.push_back(row);
        start = end + 1;
    }
    return rows;
}

TEST_F(SupportedSystem, PowerPageListsTheEventLogsPairsAndEnablesItsButtonAgain) {
    const Rows expected = QuellixPowerRows();
    ShowPage(kPagePower, powerPage);
    HWND listWindow = ::GetDlgItem(powerPage, kList);
    RemoteListView list(listWindow);
    ASSERT_TRUE(WaitUntil([&] { return Idle(powerPage); }, 30000));
    EXPECT_TRUE(WaitUntil([&] { return list.Rows(3) == expected; }, 10000))
        << "page:\n"
        << Describe(list.Rows(3)) << "quellix power:\n"
        << Describe(expected);

    EXPECT_EQ(list.Headings(), (std::vector<std::wstring>{L"序号", L"开机时间", L"关机时间"}));
    const int widths[] = {50, 370, 370};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(list.ColumnWidth(i), widths[i]) << "column " << i;
    EXPECT_EQ(::SendMessageW(listWindow, LVM_GETIMAGELIST, LVSIL_SMALL, 0), 0);
    EXPECT_EQ(::SendMessageW(listWindow, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0),
              LVS_EX_FULLROWSELECT | LVS_EX_FLATSB);

    ClickControl(::GetDlgItem(powerPage, kRefresh));
    ASSERT_TRUE(WaitUntil([&] { return Idle(powerPage); }, 30000));
    EXPECT_TRUE(WaitUntil([&] { return list.Rows(3) == expected; }, 10000));
    EXPECT_TRUE(ScreenshotOfPage("power-page", powerPage));
}

TEST_F(SupportedSystem, ClosingDuringARefreshEndsTheProgramCleanly) {
    ShowPage(kPageNet, netPage);
    HWND button = ::GetDlgItem(netPage, kRefresh);
    ASSERT_TRUE(WaitUntil([&] { return Idle(netPage); }, 20000));
    ::SendMessageW(netPage, WM_COMMAND, MAKEWPARAM(kRefresh, BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
    ClickControl(::GetDlgItem(window, kClose));
    EXPECT_EQ(process->WaitForExit(15000), 0);
}

// Windows 10: the connection library refuses, and the page says so once per refresh.
class UnsupportedSystem : public MorvaneSuite {
  protected:
    static void SetUpTestSuite() { StartUnder(L"win10"); }
    static void TearDownTestSuite() { Stop(); }

    // Exactly one box, still exactly one a moment later.
    static bool OneBoxStays() {
        if (!WaitUntil([] { return UnsupportedBoxes().size() == 1; }, 20000)) return false;
        ::Sleep(1000);
        return UnsupportedBoxes().size() == 1;
    }
    static void Dismiss() {
        for (HWND box : UnsupportedBoxes()) ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WaitUntil([] { return UnsupportedBoxes().empty(); }));
    }
};

TEST_F(UnsupportedSystem, EachRefreshShowsTheMessageOnceAndAnEmptyList) {
    HWND button = ::GetDlgItem(netPage, kRefresh);
    HWND list = ::GetDlgItem(netPage, kList);
    ShowPage(kPageNet, netPage);
    ASSERT_TRUE(OneBoxStays()) << UnsupportedBoxes().size() << " boxes";
    EXPECT_FALSE(Idle(netPage)) << "the refresh lasts until the message is answered";
    EXPECT_EQ(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_TRUE(ScreenshotOfPage("network-page-unsupported", netPage));

    // A refresh command while the message is up starts nothing.
    ::SendMessageW(netPage, WM_COMMAND, MAKEWPARAM(kRefresh, BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
    Dismiss();
    EXPECT_TRUE(WaitUntil([] { return Idle(netPage); }));
    ::Sleep(1500);
    EXPECT_TRUE(UnsupportedBoxes().empty());
    EXPECT_EQ(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 0);

    ClickControl(button);
    ASSERT_TRUE(OneBoxStays());
    Dismiss();
    EXPECT_TRUE(WaitUntil([] { return Idle(netPage); }));
    EXPECT_EQ(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 0);

    ClickControl(::GetDlgItem(window, kClose));
    EXPECT_EQ(process->WaitForExit(15000), 0);
}

}  // namespace

// gui_net_power_test [GoogleTest options] PATH\Morvane.exe RUN_FOLDER
int wmain(int argc, wchar_t** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: gui_net_power_test [gtest options] PATH\\Morvane.exe DIR\n");
        return 2;
    }
    SetMorvanePath(argv[1]);
    g_runFolder = argv[2];
    try {
        PrepareRunFolder(g_runFolder);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "cannot prepare %ls: %s\n", argv[2], error.what());
        return 2;
    }
    return RUN_ALL_TESTS();
}
