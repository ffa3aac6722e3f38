#include "engine_page.h"

#include "res/resource.h"
#include "skin/browse_folder_dlg.h"

BOOL CEnginePage::OnInitDialog() {
    const BOOL result = CPageDialog::OnInitDialog();
    HWND page = m_hWnd;
    m_events.SetWake([page] { return ::PostMessageW(page, kEventsWaitingMessage, 0, 0) != FALSE; });
    return result;
}

LRESULT CEnginePage::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case kEventsWaitingMessage:
            // Posted messages come before input: while a fast run floods the
            // page, a click on its stop button would wait for every event.
            // With input waiting, the events are taken on a timer instead,
            // whose message comes after it.
            if (HIWORD(::GetQueueStatus(QS_INPUT)) != 0) {
                ::SetTimer(m_hWnd, kEventsAfterInputTimer, USER_TIMER_MINIMUM, nullptr);
                return 0;
            }
            TakeEvents();
            return 0;
        case WM_TIMER:
            if (wp != kEventsAfterInputTimer) break;
            ::KillTimer(m_hWnd, kEventsAfterInputTimer);
            TakeEvents();
            return 0;
        case WM_DESTROY:
            // The worker has ended once the session is closed, so nothing can
            // be queued any more; what still waits is freed with the page.
            CloseSession();
            m_events.Clear();
            break;
        default:
            break;
    }
    return CPageDialog::WindowProc(msg, wp, lp);
}

void CEnginePage::TakeEvents() {
    // A bounded batch per message keeps the page answering its user while a
    // large tree floods it with findings.
    constexpr size_t kEventsPerMessage = 64;
    for (const EngineEvent& event : m_events.TakeCurrentRun(kEventsPerMessage))
        OnEngineEvent(event);
}

void CEnginePage::SkinPushButton(CSkinButton& button) {
    button.SetSkin(IDB_BUTTON_NORMAL, IDB_BUTTON_PRESSED, IDB_BUTTON_HOVER, IDB_BUTTON_DISABLED,
                   IDB_BUTTON_FOCUS, 0);
    button.SetDrawMode(CSkinButton::kUnscaled);
    button.SetBorder(0);
    button.SetFocusInset(0);
}

void CEnginePage::PrepareResultList(std::initializer_list<ReportColumn> columns) {
    SetUpReportList(m_list, columns, m_icons.GetImageList(), m_header);
    m_list.DeleteAllItems();
}

void CEnginePage::AppendRow(const wchar_t* iconName, std::initializer_list<const wchar_t*> texts) {
    const int row = m_list.GetItemCount();
    const int inserted = m_list.InsertItem(row, L"", m_icons.GetIconIndex(iconName));
    if (inserted < 0) return;
    int column = 0;
    for (const wchar_t* text : texts) m_list.SetItemText(inserted, column++, text);
}

void CEnginePage::ChooseDirectory(std::wstring& directory) {
    UpdateData(true);
    CBrowseFolderDlg picker(L"");
    if (picker.DoModal() != IDOK) return;
    directory = picker.GetFolderPath();
    UpdateData(false);
}
