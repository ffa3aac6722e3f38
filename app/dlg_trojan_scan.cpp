#include "dlg_trojan_scan.h"

#include "frontend/shown_texts.h"
#include "quellix.h"

namespace {

const wchar_t kStartText[] = L"开始扫描";
const wchar_t kStopText[] = L"停止扫描";

// One of each for the whole program. The engine's callback carries no context
// and finds the page through the first; the second is the last session
// opened, written only by the window thread.
CDlgTrojanScan* g_scanPage = nullptr;
void* g_scanSession = nullptr;

// On the engine's worker thread: the event is copied and handed over.
void QX_CALLBACK OnScanEvent(int code, const wchar_t* path, const wchar_t* reason) {
    g_scanPage->Events().Push(code, path, reason);
}

}  // namespace

void CDlgTrojanScan::DoDataExchange(CDataExchange& dx) {
    DDX_Control(dx, IDC_RESULT_LIST, m_list);
    DDX_Control(dx, IDC_CHOOSE_PATH, m_choosePath);
    DDX_Control(dx, IDC_START_SCAN, m_startStop);
    DDX_Text(dx, IDC_SITE_PATH, m_directory);
    DDX_Control(dx, IDC_PROGRESS_TEXT, m_progressText);
    DDX_Check(dx, IDC_CHECK_ASP, m_checkAsp);
    DDX_Check(dx, IDC_CHECK_ASPX, m_checkAspx);
    DDX_Check(dx, IDC_CHECK_PHP, m_checkPhp);
    DDX_Check(dx, IDC_CHECK_JSP, m_checkJsp);
}

BOOL CDlgTrojanScan::OnInitDialog() {
    CEnginePage::OnInitDialog();
    g_scanPage = this;
    SkinPushButton(m_choosePath);
    SkinPushButton(m_startStop);
    PrepareResultList({{L"文件路径", 500}, {L"风险度", 50}, {L"风险原因", 250}});
    return TRUE;
}

bool CDlgTrojanScan::OnCommand(WORD id, WORD code, HWND) {
    if (code != BN_CLICKED) return false;
    switch (id) {
        case IDC_CHOOSE_PATH:
            ChooseDirectory(m_directory);
            return true;
        case IDC_START_SCAN:
            StartOrStop();
            return true;
        default:
            return false;
    }
}

void CDlgTrojanScan::StartOrStop() {
    UpdateData(true);
    // The button's text alone tells whether a scan is considered running.
    if (m_startStop.GetWindowText() != kStartText) {
        WebTrojanStopScan(g_scanSession);
        m_startStop.SetWindowText(kStartText);
        return;
    }
    m_list.DeleteAllItems();
    CloseSession();
    Events().BeginRun();
    g_scanSession = WebTrojanScanOpen();
    WebTrojanSetCallbackW(g_scanSession, &OnScanEvent);
    WebTrojanSetCheckType(g_scanSession, m_checkAsp, m_checkAspx, m_checkPhp, m_checkJsp);
    WebTrojanStartScanW(g_scanSession, m_directory.c_str());
    m_startStop.SetWindowText(kStopText);
}

void CDlgTrojanScan::CloseSession() {
    if (!g_scanSession) return;
    WebTrojanStopScan(g_scanSession);
    WebTrojanScanClose(g_scanSession);
    g_scanSession = nullptr;
}

void CDlgTrojanScan::OnEngineEvent(const EngineEvent& event) {
    if (event.code == QX_PROGRESS_CODE) {
        if (event.hasPath)
            m_progressText.SetWindowText(event.path.c_str());
        else
            ShowSummary();
        return;
    }
    const std::wstring word = Wide(qx::frontend::VerdictWord(event.code));
    if (!word.empty())
        AppendRow(event.path.c_str(), {event.path.c_str(), word.c_str(), event.reason.c_str()});
}

void CDlgTrojanScan::ShowSummary() {
    qx::frontend::ScanTotals totals;
    totals.files =
        WebTrojanGetScanCount(g_scanSession, &totals.suspicious, &totals.dangerous, &totals.trojan);
    m_progressText.SetWindowText(Wide(qx::frontend::ScanSummary(totals)).c_str());
    m_startStop.SetWindowText(kStartText);
}
