#include "dostrel_dlg.h"

#include <windowsx.h>

#include "res/resource.h"

namespace {

constexpr SkinSlices kSkinSlices{3, 123, 154, 123, 3, 27};

struct PageButtonSkin {
    int id;
    UINT normal, pressed, hover;
    const wchar_t* tooltip;
};

constexpr PageButtonSkin kPageButtons[] = {
    {IDC_PAGE_SCAN, IDB_TAB_SCAN_NORMAL, IDB_TAB_SCAN_PRESSED, IDB_TAB_SCAN_HOVER,
     L"扫描并删除网页木马/后门文件"},
    {IDC_PAGE_CLEAN, IDB_TAB_CLEAN_NORMAL, IDB_TAB_CLEAN_PRESSED, IDB_TAB_CLEAN_HOVER,
     L"清除网页中内嵌的挂马代码"},
    {IDC_PAGE_NET, IDB_TAB_NET_NORMAL, IDB_TAB_NET_PRESSED, IDB_TAB_NET_HOVER,
     L"查看当前网络连接状况"},
    {IDC_PAGE_POWER, IDB_TAB_POWER_NORMAL, IDB_TAB_POWER_PRESSED, IDB_TAB_POWER_HOVER,
     L"查看最近一段时间内开关机记录"},
};

}  // namespace

CDostrelDlg::CDostrelDlg()
    : CDialog(IDD_MAIN_WINDOW),
      m_icon(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_MAIN))) {}

void CDostrelDlg::DoDataExchange(CDataExchange& dx) {
    for (int i = 0; i < kPageCount; ++i) DDX_Control(dx, kPageButtons[i].id, m_pageButtons[i]);
    DDX_Control(dx, IDC_TITLE_CLOSE, m_closeButton);
    DDX_Control(dx, IDC_TITLE_MIN, m_minimiseButton);
    DDX_Control(dx, IDC_TITLE_MENU, m_menuButton);
}

BOOL CDostrelDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));
    SetWindowText(L"Kelmora");

    m_skin.reset();
    if (m_skin.LoadBitmap(IDB_SKIN)) m_skin.SetSlices(kSkinSlices);
    SkinButtons();
    m_pageButtons[0].SendMessage(BM_SETCHECK, BST_CHECKED);
    CreatePages();
    ShowPage(0);

    // The skin's magenta is see-through and lets clicks pass: that is the
    // window's whole outline, with no window region of its own.
    ::SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE,
                        ::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE) | WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(m_hWnd, kSeeThrough, 0, LWA_COLORKEY);
    return TRUE;
}

void CDostrelDlg::SkinButtons() {
    m_closeButton.SetBitmapStrip(IDB_TITLE_CLOSE);
    m_minimiseButton.SetBitmapStrip(IDB_TITLE_MIN);
    m_menuButton.SetBitmapStrip(IDB_TITLE_MENU);
    for (int i = 0; i < kPageCount; ++i) {
        const PageButtonSkin& skin = kPageButtons[i];
        m_pageButtons[i].SetSkin(skin.normal, skin.pressed, skin.hover, 0, 0, IDB_TAB_MASK);
        m_pageButtons[i].SetToolTipText(skin.tooltip);
    }
}

void CDostrelDlg::CreatePages() {
    RECT area{};
    ::GetWindowRect(GetDlgItem(IDC_PAGE_AREA), &area);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&area), 2);
    ::InflateRect(&area, -1, -1);
    CDialog* pages[kPageCount] = {&m_scanPage, &m_cleanPage, &m_netPage, &m_powerPage};
    for (CDialog* page : pages) {
        if (!page->Create(m_hWnd)) continue;
        ::SetWindowPos(page->GetSafeHwnd(), nullptr, area.left, area.top, area.right - area.left,
                       area.bottom - area.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
}

void CDostrelDlg::ShowPage(int index) {
    const CDialog* pages[kPageCount] = {&m_scanPage, &m_cleanPage, &m_netPage, &m_powerPage};
    for (int i = 0; i < kPageCount; ++i) pages[i]->ShowWindow(i == index ? SW_SHOW : SW_HIDE);
}

bool CDostrelDlg::OnCommand(WORD id, WORD code, HWND) {
    if (code != BN_CLICKED) return false;
    switch (id) {
        case IDC_PAGE_SCAN:
        case IDC_PAGE_CLEAN:
        case IDC_PAGE_NET:
        case IDC_PAGE_POWER:
            ShowPage(id - IDC_PAGE_SCAN);
            return true;
        case IDC_TITLE_CLOSE:
            SendMessage(WM_CLOSE);
            return true;
        case IDC_TITLE_MIN:
            ShowWindow(SW_MINIMIZE);
            return true;
        default:
            return false;
    }
}

LRESULT CDostrelDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_ERASEBKGND:
            if (EraseBackground(reinterpret_cast<HDC>(wp))) return TRUE;
            break;
        case WM_PAINT:
            if (PaintMinimised()) return 0;
            break;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<LRESULT>(m_icon);
        case WM_LBUTTONDOWN:
            StartDragIfInBand(lp);
            break;
        case WM_CLOSE:
            EndDialog(IDCANCEL);
            return 0;
        default:
            break;
    }
    return CDialog::WindowProc(msg, wp, lp);
}

bool CDostrelDlg::EraseBackground(HDC dc) {
    if (!m_skin) return false;
    const RECT client = GetClientRect();
    m_skin.DrawNineParts(dc, client.right, client.bottom);
    return true;
}

bool CDostrelDlg::PaintMinimised() {
    if (!::IsIconic(m_hWnd)) return false;
    CPaintDC dc(m_hWnd);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.get()));
    const RECT client = GetClientRect();
    const int x = (client.right - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc.get(), x, y, m_icon);
    return true;
}

void CDostrelDlg::StartDragIfInBand(LPARAM point) const {
    POINT click{GET_X_LPARAM(point), GET_Y_LPARAM(point)};
    if (!::PtInRect(&kDragBand, click)) return;
    // The caption hit code starts the system's move of the window; the
    // non-client message carries screen coordinates.
    ::ClientToScreen(m_hWnd, &click);
    PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(click.x, click.y));
}
