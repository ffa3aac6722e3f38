#include "ui/dialog.h"

#include <algorithm>

void DDX_Control(CDataExchange& dx, int id, CWnd& control) {
    if (!control.GetSafeHwnd()) control.SubclassDlgItem(id, dx.dialog);
}

void DDX_Text(CDataExchange& dx, int id, std::wstring& value) {
    HWND edit = dx.dialog.GetDlgItem(id);
    if (dx.saveAndValidate) {
        value.assign(static_cast<size_t>(::GetWindowTextLengthW(edit)) + 1, L'\0');
        value.resize(static_cast<size_t>(
            ::GetWindowTextW(edit, value.data(), static_cast<int>(value.size()))));
    } else {
        ::SetWindowTextW(edit, value.c_str());
    }
}

void DDX_Check(CDataExchange& dx, int id, int& value) {
    HWND button = dx.dialog.GetDlgItem(id);
    if (dx.saveAndValidate)
        value = static_cast<int>(::SendMessageW(button, BM_GETCHECK, 0, 0));
    else
        ::SendMessageW(button, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

INT_PTR CDialog::DoModal(HWND parent) {
    return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), parent,
                             &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

bool CDialog::Create(HWND parent) {
    return ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), parent,
                                &CDialog::DialogProc, reinterpret_cast<LPARAM>(this)) != nullptr;
}

bool CDialog::UpdateData(bool saveAndValidate) {
    CDataExchange dx{*this, saveAndValidate};
    DoDataExchange(dx);
    return true;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(false);
    if (!(::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_CHILD)) CentreOnScreen();
    return TRUE;
}

void CDialog::OnOK() {
    UpdateData(true);
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

bool CDialog::OnCommand(WORD, WORD, HWND) {
    return false;
}

LRESULT CDialog::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND) {
        const WORD id = LOWORD(wp);
        const WORD code = HIWORD(wp);
        if (OnCommand(id, code, reinterpret_cast<HWND>(lp))) return 0;
        if (code == BN_CLICKED && id == IDOK) {
            OnOK();
            return 0;
        }
        if (code == BN_CLICKED && id == IDCANCEL) {
            OnCancel();
            return 0;
        }
    }
    return CWnd::WindowProc(msg, wp, lp);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM, LPARAM lp) {
    // Everything but the initialisation reaches the object through its
    // subclass procedure, which sits in front of the dialog manager's.
    if (msg != WM_INITDIALOG) return FALSE;
    auto* dialog = reinterpret_cast<CDialog*>(lp);
    dialog->SubclassWindow(hwnd);
    return dialog->OnInitDialog();
}

void CDialog::CentreOnScreen() {
    RECT window{};
    ::GetWindowRect(m_hWnd, &window);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    // A window larger than the work area keeps its top-left corner visible.
    const int left = work.left + std::max(0L, (work.right - work.left - width) / 2);
    const int top = work.top + std::max(0L, (work.bottom - work.top - height) / 2);
    ::SetWindowPos(m_hWnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
