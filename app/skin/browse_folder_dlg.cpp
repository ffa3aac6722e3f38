#include "skin/browse_folder_dlg.h"

INT_PTR CBrowseFolderDlg::DoModal() {
    BROWSEINFOW request{};
    request.hwndOwner = nullptr;
    request.pidlRoot = nullptr;  // the desktop
    request.pszDisplayName = m_displayName;
    request.lpszTitle = m_title.c_str();
    request.ulFlags = 0;
    request.lpfn = &CBrowseFolderDlg::Callback;
    request.lParam = reinterpret_cast<LPARAM>(this);
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&request);
    Detach();
    if (!chosen) return IDCANCEL;
    if (!::SHGetPathFromIDListW(chosen, m_path)) m_path[0] = L'\0';
    ::CoTaskMemFree(chosen);
    return IDOK;
}

void CBrowseFolderDlg::OnSelChanged(PCIDLIST_ABSOLUTE) {}

bool CBrowseFolderDlg::OnValidateFailed(const wchar_t*) {
    return true;
}

int CALLBACK CBrowseFolderDlg::Callback(HWND hwnd, UINT msg, LPARAM lp, LPARAM data) {
    auto* self = reinterpret_cast<CBrowseFolderDlg*>(data);
    if (!self->GetSafeHwnd()) self->Attach(hwnd);
    switch (msg) {
        case BFFM_SELCHANGED:
            self->OnSelChanged(reinterpret_cast<PCIDLIST_ABSOLUTE>(lp));
            return 0;
        case BFFM_VALIDATEFAILEDW:
            return self->OnValidateFailed(reinterpret_cast<const wchar_t*>(lp)) ? 0 : 1;
        default:
            return 0;
    }
}
