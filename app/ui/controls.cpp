#include "ui/controls.h"

void CButton::SetButtonStyle(UINT style, bool redraw) {
    const auto current = static_cast<UINT>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE));
    SendMessage(BM_SETSTYLE, (current & 0xFFFF & ~BS_TYPEMASK) | (style & BS_TYPEMASK), redraw);
}

RECT CHeaderCtrl::GetItemRect(int index) const {
    RECT rect{};
    SendMessage(HDM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    return rect;
}

std::wstring CHeaderCtrl::GetItemText(int index, int* format) const {
    wchar_t text[256] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT | HDI_FORMAT;
    item.pszText = text;
    item.cchTextMax = 255;
    SendMessage(HDM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    if (format) *format = item.fmt;
    return text;
}

int CListCtrl::InsertColumn(int index, const wchar_t* heading, int format, int width) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
    column.fmt = format;
    column.cx = width;
    column.pszText = const_cast<wchar_t*>(heading);
    return static_cast<int>(SendMessage(LVM_INSERTCOLUMNW, static_cast<WPARAM>(index),
                                        reinterpret_cast<LPARAM>(&column)));
}

int CListCtrl::InsertItem(int index, const wchar_t* text, int image) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = index;
    item.pszText = const_cast<wchar_t*>(text);
    item.iImage = image;
    return static_cast<int>(SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void CListCtrl::SetItemText(int index, int column, const wchar_t* text) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text);
    SendMessage(LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

CToolTipCtrl::~CToolTipCtrl() {
    // The tooltip dies with its owner; only a live one is ours to destroy.
    if (m_hWnd && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
}

bool CToolTipCtrl::Create(HWND owner) {
    HWND tooltip =
        ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner,
                          nullptr, ::GetModuleHandleW(nullptr), nullptr);
    Attach(tooltip);
    return tooltip != nullptr;
}

TOOLINFOW CToolTipCtrl::ToolInfo(HWND tool, const wchar_t* text) const {
    TOOLINFOW info{};
    // The oldest layout that carries everything used here, which every
    // version of the common controls accepts.
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.uFlags = TTF_IDISHWND;
    info.hwnd = ::GetParent(tool);
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = const_cast<wchar_t*>(text);
    return info;
}

bool CToolTipCtrl::AddTool(HWND tool, const wchar_t* text) {
    TOOLINFOW info = ToolInfo(tool, text);
    return SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)) != 0;
}

void CToolTipCtrl::UpdateTipText(HWND tool, const wchar_t* text) {
    TOOLINFOW info = ToolInfo(tool, text);
    SendMessage(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}
