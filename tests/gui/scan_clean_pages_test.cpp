// The scan and clean pages of Morvane.exe used as a person would: a site of
// our own harmless files is typed in, families ticked, start pressed; every
// row read back is compared with what the command line quellix.exe reports
// for the same tree under the same Wine prefix, and the pages the clean page
// changed with what the command line changes in a copy of the site.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "remote_list_view.h"
#include "window_driver.h"

namespace fs = std::filesystem;

namespace {

constexpr int kScanButton = 1000, kCleanButton = 1001;
constexpr int kList = 1015, kProgress = 1028, kSitePath = 1029, kCleanCode = 1030;
constexpr int kChoosePath = 1031, kStartClean = 1032, kStartScan = 1033;
constexpr int kCheckAsp = 1034, kCheckAspx = 1035, kCheckPhp = 1036, kCheckJsp = 1037;
constexpr int kRunTimeoutMs = 120000;

std::string Utf8(const std::wstring& text) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                        nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                          nullptr, nullptr);
    return out;
}

std::wstring FromUtf8(const std::string& text) {
    const int n =
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

// UTF-16, low byte first, with its byte-order mark.
std::string Utf16Page(const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct SiteFile {
    std::wstring path;  // relative
    std::string bytes;
};

void WriteSite(const fs::path& root, const std::vector<SiteFile>& files) {
    for (const SiteFile& file : files) {
        const fs::path path = root / file.path;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << file.bytes;
    }
}

void RemoveTree(const fs::path& root) {
    std::error_code error;
    fs::remove_all(root, error);
}

// Every file under root by relative path, with its bytes.
std::map<std::wstring, std::string> TreeContents(const fs::path& root) {
    std::map<std::wstring, std::string> contents;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            contents[fs::relative(entry.path(), root).wstring()] = ReadBytes(entry.path());
    return contents;
}

// A site whose script files give every verdict of every family (the command
// line, not this table, says which), next to ordinary pages and a folder with
// a Chinese name.
std::vector<SiteFile> ScanSite() {
    return {
        {L"index.html", "<p>welcome</p>\n"},
        {L"default.asp", "<% Response.Write \"hello\" %>\r\n"},
        {L"admin\\export.asp", "<% Set s = Server.CreateObject(\"ADODB.Stream\") %>\r\n"},
        {L"admin\\info.asp", "<% Set sh = Server.CreateObject(\"WScript.Shell\") %>\r\n"},
        {L"上传\\readme.asp", "\xEF\xBB\xBF<% ' " + Utf8(L"海阳顶端网") + " WScript.Shell %>\r\n"},
        {L"blog\\thumbs.php", "<?php exec($c, $o); ?>\n"},
        {L"blog\\上传\\notes.php", "<?php // c99sh_surl c99_buff_prepare\n"},
        {L"shop\\Reindex.aspx",
         "<%@ Page Language=\"C#\" %>\n<script runat=\"server\">void F(){ "
         "System.Threading.Tasks.Task.Run(() => G()); }</script>\n"},
        {L"shop\\FileDesk.aspx",
         "<%@ Page Language=\"C#\" %>\n<%-- ShowFileM RunCmd ReadReg --%>\n"},
        {L"portal\\uptime.jsp",
         "<% Process p = Runtime.getRuntime().exec(\"uptime\"); p.getInputStream(); %>\n"},
        {L"portal\\relay.jsp", "<% Socket s = new Socket(\"h\", 1); %>\n"},
        {L"portal\\tmp\\marker.jsp",
         "<%-- Runtime.getRuntime().exec getInputStream ExerClientO --%>\n"},
    };
}

// Enough folders of suspicious pages that a run can be stopped halfway. Each
// page opens with a long line that the ASP rules read through, so that the
// run lasts seconds however fast the engine rates small pages.
std::vector<SiteFile> LongScanSite() {
    std::string page_text = "<% ";
    for (int i = 0; i < 4000; ++i) page_text += "set ";
    page_text += "%>\r\n<% Set s = Server.CreateObject(\"ADODB.Stream\") %>\r\n";
    std::vector<SiteFile> files;
    for (int folder = 0; folder < 60; ++folder)
        for (int page = 0; page < 50; ++page)
            files.push_back(
                {L"d" + std::to_wstring(folder) + L"\\p" + std::to_wstring(page) + L".asp",
                 page_text});
    return files;
}

// Markup a user found in the site's pages, typed into the clean page.
const std::wstring kPlanted =
    L"<script src=http://203.0.113.9/a.js></script>\r\n<iframe src=http://x.test/ width=0>";

std::vector<SiteFile> CleanSite() {
    const std::string planted = Utf8(kPlanted);
    return {
        {L"index.html", "<html>" + planted + "<body>home</body></html>\n"},
        {L"news.htm", planted + "<p>twice</p>" + planted + "\n"},
        {L"style.css", "body { color: black; }\n"},
        {L"js\\deep\\menu.js", "var a = 1;\n" + planted},
        {L"中文\\page.asp", Utf16Page(L"<% ' 页面 %>" + kPlanted + L"<p>尾</p>")},
        {L"case.html", "<SCRIPT src=http://203.0.113.9/a.js></SCRIPT>\r\n"},
        {L"lf-only.html", "<script src=http://203.0.113.9/a.js></script>\n<iframe "},
        {L"page.shtml", planted},
    };
}

std::vector<SiteFile> LongCleanSite() {
    std::vector<SiteFile> files;
    const std::string planted = Utf8(kPlanted);
    for (int folder = 0; folder < 100; ++folder)
        for (int page = 0; page < 50; ++page)
            files.push_back(
                {L"d" + std::to_wstring(folder) + L"\\p" + std::to_wstring(page) + L".html",
                 "<p>" + std::string(2000, 'x') + planted + "</p>"});
    return files;
}

// quellix.exe of the same build, run under the same prefix; its standard
// output's lines, decoded from UTF-8.
struct CommandOutput {
    int exitCode = -1;
    std::vector<std::wstring> lines;
};

CommandOutput RunQuellix(const std::wstring& arguments) {
    CommandOutput output;
    const std::wstring program = (fs::path(MorvanePath()).parent_path() / L"quellix.exe").wstring();
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return output;
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    PROCESS_INFORMATION process{};
    const bool started = ::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr,
                                          TRUE, 0, nullptr, nullptr, &startup, &process);
    ::CloseHandle(writeEnd);
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (started && ::ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    ::CloseHandle(readEnd);
    if (!started) return output;
    DWORD code = 0;
    if (::WaitForSingleObject(process.hProcess, kRunTimeoutMs) == WAIT_OBJECT_0)
        ::GetExitCodeProcess(process.hProcess, &code);
    output.exitCode = static_cast<int>(code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    size_t start = 0;
    for (size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        output.lines.push_back(FromUtf8(line));
    }
    return output;
}

// One row of a page's list: its three texts and its icon.
struct ListRow {
    std::vector<std::wstring> texts;
    int image = -1;
};

std::vector<ListRow> RowsOf(HWND list) {
    const RemoteListView remote(list);
    std::vector<ListRow> rows;
    const std::vector<std::vector<std::wstring>> texts = remote.Rows(3);
    for (size_t i = 0; i < texts.size(); ++i)
        rows.push_back({texts[i], remote.Image(static_cast<int>(i))});
    return rows;
}

std::vector<std::wstring> SplitTabs(const std::wstring& line) {
    std::vector<std::wstring> fields;
    size_t start = 0;
    for (size_t end; (end = line.find(L'\t', start)) != std::wstring::npos; start = end + 1)
        fields.push_back(line.substr(start, end - start));
    fields.push_back(line.substr(start));
    return fields;
}

std::wstring Quoted(const fs::path& path) {
    return L"\"" + path.wstring() + L"\"";
}

// The findings of a command-line scan as the page's rows: path, word, reason.
struct ScanReport {
    std::vector<std::vector<std::wstring>> rows;
    std::wstring summary;
};

ScanReport CommandLineScan(const std::wstring& options, const fs::path& root) {
    const CommandOutput output = RunQuellix(L"scan --no-progress " + options + L" " + Quoted(root));
    ScanReport report;
    if (output.lines.empty()) return report;
    report.summary = output.lines.back();
    for (size_t i = 0; i + 1 < output.lines.size(); ++i) {
        const std::vector<std::wstring> fields = SplitTabs(output.lines[i]);
        if (fields.size() == 3) report.rows.push_back({fields[1], fields[0], fields[2]});
    }
    return report;
}

// The page results of a command-line clean as (word, path relative to root).
struct CleanReport {
    std::vector<std::pair<std::wstring, std::wstring>> results;
    std::wstring summary;
};

CleanReport CommandLineClean(const fs::path& codeFile, const fs::path& root) {
    const CommandOutput output =
        RunQuellix(L"clean --no-progress --code-file " + Quoted(codeFile) + L" " + Quoted(root));
    CleanReport report;
    if (output.lines.empty()) return report;
    report.summary = output.lines.back();
    const size_t prefix = root.wstring().size() + 1;
    for (size_t i = 0; i + 1 < output.lines.size(); ++i) {
        const std::vector<std::wstring> fields = SplitTabs(output.lines[i]);
        if (fields.size() == 2) report.results.push_back({fields[0], fields[1].substr(prefix)});
    }
    return report;
}

bool StartsWith(const std::wstring& text, const std::wstring& start) {
    return text.compare(0, start.size(), start) == 0;
}

// The folder picker the program shows: a visible top-level dialog of its
// process other than the main window.
HWND FindPicker(DWORD processId, HWND mainWindow) {
    struct Search {
        DWORD processId;
        HWND mainWindow, found;
    } search{processId, mainWindow, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            wchar_t className[16] = {};
            ::GetClassNameW(window, className, 16);
            if (owner == s->processId && window != s->mainWindow && ::IsWindowVisible(window) &&
                std::wstring(className) == L"#32770") {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

class PageTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        root = fs::path(temp) / (L"qx-pages-" + std::to_wstring(::GetCurrentProcessId()));
        RemoveTree(root);
        fs::create_directories(root);
        process = std::make_unique<MorvaneProcess>();
        started = process->Start(MorvanePath());
        if (!started) return;
        window = process->MainWindow();
        for (HWND child = ::GetWindow(window, GW_CHILD); child;
             child = ::GetWindow(child, GW_HWNDNEXT)) {
            if (::GetDlgItem(child, kStartScan)) scanPage = child;
            if (::GetDlgItem(child, kStartClean)) cleanPage = child;
        }
    }
    static void TearDownTestSuite() {
        if (process && process->Running()) {
            ClickControl(::GetDlgItem(window, 1007));
            process->WaitForExit(15000);
        }
        process.reset();
        RemoveTree(root);
    }
    void SetUp() override {
        ASSERT_TRUE(started) << "Morvane.exe did not show its window";
        ASSERT_NE(scanPage, nullptr);
        ASSERT_NE(cleanPage, nullptr);
    }

    static HWND Item(HWND page, int id) { return ::GetDlgItem(page, id); }
    static std::wstring Text(HWND page, int id) { return WindowText(Item(page, id)); }
    static bool Checked(HWND page, int id) {
        return ::SendMessageW(Item(page, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    // Ticks or clears a check box by clicking it when it is not as wanted.
    static void SetChecked(HWND page, int id, bool checked) {
        if (Checked(page, id) != checked) ClickControl(Item(page, id));
    }
    static void ShowPage(int button, HWND page) {
        ClickControl(::GetDlgItem(window, button));
        ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(page) != FALSE; }));
    }
    static std::vector<ListRow> Rows(HWND page) { return RowsOf(Item(page, kList)); }
    static int RowCount(HWND page) {
        return static_cast<int>(::SendMessageW(Item(page, kList), LVM_GETITEMCOUNT, 0, 0));
    }
    // Empties the progress text, which the page itself never does: the next
    // text there is the next run's.
    static void ClearProgress(HWND page) {
        ::SendMessageW(Item(page, kProgress), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    }
    // Presses start and waits for the summary of that run.
    static void RunToEnd(HWND page, int startId, const wchar_t* startText,
                         const wchar_t* summaryStart) {
        ASSERT_EQ(Text(page, startId), startText);
        ClearProgress(page);
        ClickControl(Item(page, startId));
        ASSERT_TRUE(WaitUntil(
            [&] {
                return Text(page, startId) == startText &&
                       StartsWith(Text(page, kProgress), summaryStart);
            },
            kRunTimeoutMs))
            << "the run did not end";
    }
    // Presses the page's choose-path button and confirms or cancels the
    // folder picker that opens on its first folder, the desktop's.
    static void UsePicker(HWND page, bool confirm) {
        // The press returns only when the picker has closed.
        std::thread press([page] { ClickControl(Item(page, kChoosePath)); });
        HWND picker = nullptr;
        DWORD processId = 0;
        ::GetWindowThreadProcessId(window, &processId);
        const bool shown =
            WaitUntil([&] { return (picker = FindPicker(processId, window)) != nullptr; }, 20000);
        if (shown) ::SendMessageW(picker, WM_COMMAND, confirm ? IDOK : IDCANCEL, 0);
        press.join();
        ASSERT_TRUE(shown) << "no folder picker";
    }
    static std::wstring DesktopFolder() {
        wchar_t path[MAX_PATH] = {};
        ::SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, path);
        return path;
    }

    static inline fs::path root;
    static inline std::unique_ptr<MorvaneProcess> process;
    static inline bool started = false;
    static inline HWND window = nullptr, scanPage = nullptr, cleanPage = nullptr;
};

struct ColumnSpec {
    const wchar_t* heading;
    int width;
};

// The look both pages give their list and buttons.
void ExpectSkinnedPage(HWND page, int startId, const std::vector<ColumnSpec>& columns) {
    HWND list = ::GetDlgItem(page, kList);
    const LONG_PTR style = ::GetWindowLongPtrW(list, GWL_STYLE);
    EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_TRUE(style & LVS_SINGLESEL);
    EXPECT_EQ(::SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0),
              LVS_EX_FULLROWSELECT | LVS_EX_FLATSB);
    EXPECT_NE(::SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0), 0) << "file icons";
    RECT header{};
    ::GetWindowRect(reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0)), &header);
    EXPECT_EQ(header.bottom - header.top, 20);

    const RemoteListView remote(list);
    ASSERT_TRUE(remote.Usable());
    const std::vector<std::wstring> headings = remote.Headings();
    ASSERT_EQ(headings.size(), columns.size());
    for (size_t i = 0; i < columns.size(); ++i) {
        EXPECT_EQ(headings[i], columns[i].heading);
        EXPECT_EQ(remote.ColumnWidth(static_cast<int>(i)), columns[i].width) << i;
    }
    for (int id : {kChoosePath, startId}) {
        const LONG_PTR button = ::GetWindowLongPtrW(::GetDlgItem(page, id), GWL_STYLE);
        EXPECT_EQ(button & BS_TYPEMASK, BS_OWNERDRAW) << id << " is skinned";
    }
}

std::vector<std::vector<std::wstring>> TextsOf(const std::vector<ListRow>& rows) {
    std::vector<std::vector<std::wstring>> texts;
    for (const ListRow& row : rows) texts.push_back(row.texts);
    return texts;
}

class ScanPage : public PageTest {
  protected:
    static void SetUpTestSuite() {
        PageTest::SetUpTestSuite();
        site = root / L"扫描站点";
        longSite = root / L"long-scan";
        WriteSite(site, ScanSite());
        WriteSite(longSite, LongScanSite());
    }
    void SetUp() override {
        PageTest::SetUp();
        if (!HasFatalFailure()) ShowPage(kScanButton, scanPage);
    }

    static void SelectFamilies(bool asp, bool aspx, bool php, bool jsp) {
        SetChecked(scanPage, kCheckAsp, asp);
        SetChecked(scanPage, kCheckAspx, aspx);
        SetChecked(scanPage, kCheckPhp, php);
        SetChecked(scanPage, kCheckJsp, jsp);
    }
    static void TypeDirectory(const std::wstring& directory) {
        TypeText(Item(scanPage, kSitePath), directory);
    }
    static void Scan() { RunToEnd(scanPage, kStartScan, L"开始扫描", L"本次扫描过程"); }
    static std::wstring StartText() { return Text(scanPage, kStartScan); }
    static std::wstring Progress() { return Text(scanPage, kProgress); }

    static inline fs::path site, longSite;
};

TEST_F(ScanPage, StartsWithItsDefaultsAndItsSkin) {
    EXPECT_EQ(Text(scanPage, kSitePath), L"D:\\wwwroot");
    EXPECT_TRUE(Checked(scanPage, kCheckAsp));
    EXPECT_FALSE(Checked(scanPage, kCheckAspx));
    EXPECT_FALSE(Checked(scanPage, kCheckPhp));
    EXPECT_FALSE(Checked(scanPage, kCheckJsp));
    EXPECT_EQ(StartText(), L"开始扫描");
    EXPECT_EQ(Progress(), L"");
    EXPECT_EQ(RowCount(scanPage), 0);
    ExpectSkinnedPage(scanPage, kStartScan,
                      {{L"文件路径", 500}, {L"风险度", 50}, {L"风险原因", 250}});
}

TEST_F(ScanPage, ListsWhatTheCommandLineReportsForTheTickedFamilies) {
    struct Case {
        const char* name;
        bool asp, aspx, php, jsp;
        const wchar_t* options;
    };
    const Case cases[] = {
        {"ASP only", true, false, false, false, L"--asp"},
        {"ASPX and JSP", false, true, false, true, L"--aspx --jsp"},
        {"all four", true, true, true, true, L""},
    };
    std::vector<std::wstring> words;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SelectFamilies(c.asp, c.aspx, c.php, c.jsp);
        TypeDirectory(site.wstring());
        Scan();
        const ScanReport expected = CommandLineScan(c.options, site);
        ASSERT_FALSE(expected.rows.empty());
        const std::vector<ListRow> rows = Rows(scanPage);
        EXPECT_EQ(TextsOf(rows), expected.rows);
        for (const ListRow& row : rows) EXPECT_GE(row.image, 0) << "icon of " << Utf8(row.texts[0]);
        EXPECT_EQ(Progress(), expected.summary);
        for (const auto& row : expected.rows) words.push_back(row[1]);
    }
    for (const wchar_t* word : {L"可疑", L"危险", L"木马"})
        EXPECT_NE(std::find(words.begin(), words.end(), word), words.end())
            << "the site gives no " << Utf8(word);
    EXPECT_TRUE(Screenshot("scan-page", window));

    // Nothing ticked: the whole tree is walked and nothing rated.
    SelectFamilies(false, false, false, false);
    Scan();
    EXPECT_EQ(RowCount(scanPage), 0);
    EXPECT_EQ(Progress(), L"本次扫描过程共检查" + std::to_wstring(ScanSite().size()) +
                              L"个文件，未发现可疑的后门木马文件。");
}

TEST_F(ScanPage, MissingAndEmptyDirectoriesStartNothing) {
    SelectFamilies(true, true, true, true);
    TypeDirectory((root / L"no such folder").wstring());
    Scan();
    EXPECT_EQ(Progress(), L"本次扫描过程共检查0个文件，未发现可疑的后门木马文件。");

    // The engine refuses an empty directory; the button alone holds the state.
    TypeDirectory(L"");
    ClickControl(Item(scanPage, kStartScan));
    EXPECT_EQ(StartText(), L"停止扫描");
    ::Sleep(500);
    EXPECT_EQ(StartText(), L"停止扫描");
    ClickControl(Item(scanPage, kStartScan));
    EXPECT_EQ(StartText(), L"开始扫描");
}

TEST_F(ScanPage, StopsALongScanMidway) {
    SelectFamilies(true, false, false, false);
    TypeDirectory(longSite.wstring());
    ClearProgress(scanPage);
    ClickControl(Item(scanPage, kStartScan));
    ASSERT_TRUE(WaitUntil([] { return RowCount(scanPage) >= 1; }, kRunTimeoutMs));
    ClickControl(Item(scanPage, kStartScan));
    EXPECT_EQ(StartText(), L"开始扫描");
    ASSERT_TRUE(WaitUntil([] { return StartsWith(Progress(), L"本次扫描过程"); }, kRunTimeoutMs));

    const std::vector<ListRow> rows = Rows(scanPage);
    int files = -1, trojan = -1, dangerous = -1, suspicious = -1;
    ASSERT_EQ(std::swscanf(Progress().c_str(),
                           L"本次扫描过程共检查%d个文件，其中木马脚本文件%d个，风险脚本文件%d个，"
                           L"可疑脚本文件%d个。",
                           &files, &trojan, &dangerous, &suspicious),
              4)
        << Utf8(Progress());
    EXPECT_LT(files, static_cast<int>(LongScanSite().size())) << "stopped before the end";
    EXPECT_EQ(trojan + dangerous, 0);
    EXPECT_EQ(suspicious, static_cast<int>(rows.size())) << "every finding reached the list";
    // The rows are the beginning of a whole run, in event order.
    const ScanReport whole = CommandLineScan(L"--asp", longSite);
    ASSERT_LE(rows.size(), whole.rows.size());
    for (size_t i = 0; i < rows.size(); ++i) ASSERT_EQ(rows[i].texts, whole.rows[i]) << "row " << i;
}

TEST_F(ScanPage, AHiddenPageKeepsFillingAndANewStartShowsOnlyTheNewRunsRows) {
    SelectFamilies(true, true, true, true);
    TypeDirectory(longSite.wstring());
    ClickControl(Item(scanPage, kStartScan));
    ASSERT_TRUE(WaitUntil([] { return RowCount(scanPage) > 20; }, kRunTimeoutMs));
    ShowPage(kCleanButton, cleanPage);
    const int hiddenFrom = RowCount(scanPage);
    EXPECT_TRUE(WaitUntil([&] { return RowCount(scanPage) > hiddenFrom; }));
    ShowPage(kScanButton, scanPage);

    // Typed while the long scan runs; stop and start follow at once, so that
    // events of the stopped run are still waiting when the new one begins.
    TypeDirectory(site.wstring());
    ClickControl(Item(scanPage, kStartScan));
    RunToEnd(scanPage, kStartScan, L"开始扫描", L"本次扫描过程");

    const ScanReport expected = CommandLineScan(L"", site);
    EXPECT_EQ(TextsOf(Rows(scanPage)), expected.rows);
    EXPECT_EQ(Progress(), expected.summary);
}

TEST_F(ScanPage, ChoosePathFillsTheDirectoryAndKeepsTheTicks) {
    SelectFamilies(false, false, true, false);
    TypeDirectory(L"C:\\typed");
    UsePicker(scanPage, false);
    EXPECT_EQ(Text(scanPage, kSitePath), L"C:\\typed") << "a cancel changes nothing";
    UsePicker(scanPage, true);
    EXPECT_EQ(Text(scanPage, kSitePath), DesktopFolder());
    EXPECT_FALSE(Checked(scanPage, kCheckAsp));
    EXPECT_TRUE(Checked(scanPage, kCheckPhp));
}

class CleanPage : public PageTest {
  protected:
    static void SetUpTestSuite() {
        PageTest::SetUpTestSuite();
        codeFile = root / L"planted.txt";
        std::ofstream(codeFile, std::ios::binary) << Utf8(kPlanted);
    }
    void SetUp() override {
        PageTest::SetUp();
        if (!HasFatalFailure()) ShowPage(kCleanButton, cleanPage);
    }

    static void TypeDirectory(const std::wstring& directory) {
        TypeText(Item(cleanPage, kSitePath), directory);
    }
    static void Clean() { RunToEnd(cleanPage, kStartClean, L"开始清除", L"本次清除过程"); }
    static std::wstring Progress() { return Text(cleanPage, kProgress); }

    // The rows show what the command line reported for the copy, numbered
    // from 1, and both copies hold the same bytes.
    static void ExpectSameAsCommandLine(const fs::path& byPage, const fs::path& byCommand) {
        const CleanReport expected = CommandLineClean(codeFile, byCommand);
        const std::vector<ListRow> rows = Rows(cleanPage);
        ASSERT_EQ(rows.size(), expected.results.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            const std::vector<std::wstring> expectedRow = {
                std::to_wstring(i + 1), byPage.wstring() + L"\\" + expected.results[i].second,
                expected.results[i].first};
            EXPECT_EQ(rows[i].texts, expectedRow);
            EXPECT_GE(rows[i].image, 0);
        }
        EXPECT_EQ(Progress(), expected.summary);
        EXPECT_TRUE(TreeContents(byPage) == TreeContents(byCommand)) << "the pages differ";
    }

    static inline fs::path codeFile;
};

TEST_F(CleanPage, StartsWithTheSampleCodeItsLimitsAndItsSkin) {
    EXPECT_EQ(Text(cleanPage, kSitePath), L"D:\\wwwroot");
    const std::wstring sample = Text(cleanPage, kCleanCode);
    EXPECT_EQ(sample.size(), 119u);
    const size_t lineBreak = sample.find(L"\r\n");
    ASSERT_NE(lineBreak, std::wstring::npos);
    EXPECT_EQ(sample.find(L"\n", lineBreak + 2), std::wstring::npos) << "two lines";
    EXPECT_TRUE(StartsWith(sample, L"<script src=http://%"));
    EXPECT_TRUE(StartsWith(sample.substr(lineBreak + 2), L"<iframe src=http://"));
    EXPECT_EQ(Text(cleanPage, kStartClean), L"开始清除");
    EXPECT_EQ(Progress(), L"");
    ExpectSkinnedPage(cleanPage, kStartClean,
                      {{L"序号", 50}, {L"文件路径", 650}, {L"处理结果", 100}});

    const struct {
        int id;
        size_t limit;
    } edits[] = {{kSitePath, 256}, {kCleanCode, 340}};
    for (const auto& edit : edits) {
        TypeText(Item(cleanPage, edit.id), std::wstring(edit.limit + 1, L'a'));
        EXPECT_EQ(Text(cleanPage, edit.id), std::wstring(edit.limit, L'a')) << edit.id;
    }
}

TEST_F(CleanPage, ChangesPagesExactlyAsTheCommandLineDoesAndNumbersRowsFromOne) {
    const fs::path byPage = root / L"清除-page", byCommand = root / L"清除-command";
    WriteSite(byPage, CleanSite());
    WriteSite(byCommand, CleanSite());
    TypeDirectory(byPage.wstring());
    TypeText(Item(cleanPage, kCleanCode), kPlanted);
    ASSERT_EQ(Text(cleanPage, kCleanCode), kPlanted);

    // The second run finds the second copy in the page that held two.
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        Clean();
        ExpectSameAsCommandLine(byPage, byCommand);
        if (run == 1) {
            EXPECT_TRUE(Screenshot("clean-page", window));
        }
    }
    EXPECT_EQ(ReadBytes(byPage / L"index.html"),
              "<html>" + std::string(Utf8(kPlanted).size(), ' ') + "<body>home</body></html>\n");
}

TEST_F(CleanPage, StopsALongCleanAndTheNextStartNumbersItsOwnRowsFromOne) {
    const fs::path longSite = root / L"long-clean";
    const fs::path byPage = root / L"again-page", byCommand = root / L"again-command";
    WriteSite(longSite, LongCleanSite());
    WriteSite(byPage, CleanSite());
    WriteSite(byCommand, CleanSite());
    TypeText(Item(cleanPage, kCleanCode), kPlanted);
    TypeDirectory(longSite.wstring());
    // Stopped as soon as the page shows the run under way: the cleaner is
    // quick, but the tree takes it seconds.
    ClearProgress(cleanPage);
    ClickControl(Item(cleanPage, kStartClean));
    ASSERT_TRUE(WaitUntil([] { return !Progress().empty(); }, kRunTimeoutMs));
    ClickControl(Item(cleanPage, kStartClean));
    EXPECT_EQ(Text(cleanPage, kStartClean), L"开始清除");
    ASSERT_TRUE(WaitUntil([] { return StartsWith(Progress(), L"本次清除过程"); }, kRunTimeoutMs));

    const std::vector<ListRow> rows = Rows(cleanPage);
    int files = -1, cleaned = 0, failed = 0;
    const std::wstring summary = Progress();
    const int read =
        std::swscanf(summary.c_str(),
                     L"本次清除过程共扫描%d个文件，其中挂马代码页面%d个清除成功，%d个清除失败。",
                     &files, &cleaned, &failed);
    ASSERT_TRUE(read == 3 ||
                (read == 1 && summary == L"本次清除过程共扫描" + std::to_wstring(files) +
                                             L"个文件，未发现含有挂马代码的页面。"))
        << Utf8(summary);
    EXPECT_LT(files, static_cast<int>(LongCleanSite().size())) << "stopped before the end";
    EXPECT_EQ(cleaned, static_cast<int>(rows.size()));
    EXPECT_EQ(failed, 0);
    for (size_t i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].texts[0], std::to_wstring(i + 1));
        ASSERT_EQ(rows[i].texts[2], L"清除成功");
    }

    TypeDirectory(byPage.wstring());
    Clean();
    ExpectSameAsCommandLine(byPage, byCommand);
}

TEST_F(CleanPage, ChoosePathKeepsTheTypedCode) {
    const std::wstring typed = L"<iframe src=http://x.test/>\r\n<b>";
    TypeText(Item(cleanPage, kCleanCode), typed);
    UsePicker(cleanPage, true);
    EXPECT_EQ(Text(cleanPage, kSitePath), DesktopFolder());
    EXPECT_EQ(Text(cleanPage, kCleanCode), typed);
}

// Last, as it ends the program: both pages are destroyed while their runs
// go on, and each stops and closes its session without touching a window
// that is gone.
TEST_F(CleanPage, ClosingTheProgramDuringBothRunsEndsItCleanly) {
    const fs::path scanned = root / L"closing-scan", cleaned = root / L"closing-clean";
    WriteSite(scanned, LongScanSite());
    WriteSite(cleaned, LongCleanSite());
    // The clean, slower per page as it writes every page back, starts first;
    // the scan is checked right after its start, so a loaded machine cannot
    // let either run end before the close.
    ShowPage(kCleanButton, cleanPage);
    TypeText(Item(cleanPage, kCleanCode), kPlanted);
    TypeDirectory(cleaned.wstring());
    ClickControl(Item(cleanPage, kStartClean));
    ShowPage(kScanButton, scanPage);
    TypeText(Item(scanPage, kSitePath), scanned.wstring());
    ClickControl(Item(scanPage, kStartScan));
    ASSERT_EQ(Text(scanPage, kStartScan), L"停止扫描");
    ASSERT_EQ(Text(cleanPage, kStartClean), L"停止清除");

    ClickControl(::GetDlgItem(window, 1007));
    EXPECT_EQ(process->WaitForExit(30000), 0);
}

}  // namespace
