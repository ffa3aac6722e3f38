#include "dlg_code_clean.h"

#include "frontend/shown_texts.h"
#include "quellix.h"

const wchar_t CDlgCodeClean::kSampleCleanCode[] =
    L"<script src=http://%78%2E%74%65%73%74/c.js></script>\r\n"
    L"<iframe src=http://example.test/ad.htm width=0 height=0></iframe>";

namespace {

const wchar_t kStartText[] = L"开始清除";
const wchar_t kStopText[] = L"停止清除";

// One of each for the whole program. The engine's callback carries no context
// and finds the page through the first; the second is the last session
// opened, written only by the window thread.
CDlgCodeClean* g_cleanPage = nullptr;
void* g_cleanSession = nullptr;

// On the engine's worker thread: the event is copied and handed over.
void QX_CALLBACK OnCleanEvent(int code, const wchar_t* path) {
    g_cleanPage->Events().Push(code, path, nullptr);
}

}  // namespace

void CDlgCodeClean::DoDataExchange(CDataExchange& dx) {
    DDX_Control(dx, IDC_PROGRESS_TEXT, m_progressText);
    DDX_Control(dx, IDC_RESULT_LIST, m_list);
    DDX_Text(dx, IDC_SITE_PATH, m_directory);
    DDX_Text(dx, IDC_CLEAN_CODE, m_cleanCode);
    DDX_Control(dx, IDC_CHOOSE_PATH, m_choosePath);
    DDX_Control(dx, IDC_START_CLEAN, m_startStop);
}

BOOL CDlgCodeClean::OnInitDialog() {
    CEnginePage::OnInitDialog();
    // Typed and pasted text stays within what the engine takes.
    ::SendDlgItemMessageW(m_hWnd, IDC_SITE_PATH, EM_LIMITTEXT, kMaxDirectory, 0);
    ::SendDlgItemMessageW(m_hWnd, IDC_CLEAN_CODE, EM_LIMITTEXT, kMaxCleanCode, 0);
    g_cleanPage = this;
    SkinPushButton(m_choosePath);
    SkinPushButton(m_startStop);
    PrepareResultList({{L"序号", 50}, {L"文件路径", 650}, {L"处理结果", 100}});
    return TRUE;
}

bool CDlgCodeClean::OnCommand(WORD id, WORD code, HWND) {
    if (code != BN_CLICKED) return false;
    switch (id) {
        case IDC_CHOOSE_PATH:
            ChooseDirectory(m_directory);
            return true;
        case IDC_START_CLEAN:
            StartOrStop();
            return true;
        default:
            return false;
    }
}

void CDlgCodeClean::StartOrStop() {
    UpdateData(true);
    // The button's text alone tells whether a clean is considered running.
    if (m_startStop.GetWindowText() != kStartText) {
        WebShellStopClean(g_cleanSession);
        m_startStop.SetWindowText(kStartText);
        return;
    }
    m_list.DeleteAllItems();
    CloseSession();
    Events().BeginRun();
    g_cleanSession = QuellixOpen();
    WebShellSetCallbackW(g_cleanSession, &OnCleanEvent);
    WebShellSetCleanCodeW(g_cleanSession, m_cleanCode.c_str());
    WebShellStartCleanW(g_cleanSession, m_directory.c_str());
    m_startStop.SetWindowText(kStopText);
}

void CDlgCodeClean::CloseSession() {
    if (!g_cleanSession) return;
    WebShellStopClean(g_cleanSession);
    QuellixClose(g_cleanSession);
    g_cleanSession = nullptr;
}

void CDlgCodeClean::OnEngineEvent(const EngineEvent& event) {
    if (event.code == QX_PROGRESS_CODE) {
        if (event.hasPath)
            m_progressText.SetWindowText(event.path.c_str());
        else
            ShowSummary();
        return;
    }
    const std::wstring word = Wide(qx::frontend::CleanResultWord(event.code));
    if (!word.empty()) {
        const std::wstring number = std::to_wstring(m_list.GetItemCount() + 1);
        AppendRow(event.path.c_str(), {number.c_str(), event.path.c_str(), word.c_str()});
    }
}

void CDlgCodeClean::ShowSummary() {
    qx::frontend::CleanTotals totals;
    totals.files = WebShellGetCleanCount(g_cleanSession, &totals.cleaned, &totals.failed);
    m_progressText.SetWindowText(Wide(qx::frontend::CleanSummary(totals)).c_str());
    m_startStop.SetWindowText(kStartText);
}
