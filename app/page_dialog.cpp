#include "page_dialog.h"

BOOL CPageDialog::OnInitDialog() {
    const BOOL result = CDialog::OnInitDialog();
    m_pageBrush.CreateSolidBrush(kPageColour);
    return result;
}

HBRUSH CPageDialog::OnCtlColor(HDC dc, HWND, UINT msg) {
    switch (msg) {
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC:
            ::SetBkMode(dc, TRANSPARENT);
            return m_pageBrush.get();
        case WM_CTLCOLORDLG:
            return m_pageBrush.get();
        default:
            return nullptr;
    }
}
