#include "ui/wnd.h"

namespace {

const wchar_t kObjectProperty[] = L"Morvane.CWnd";

bool IsControlColourMessage(UINT msg) {
    return msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC;
}

}  // namespace

CWnd::~CWnd() {
    UnsubclassWindow();
}

CWnd* CWnd::FromHandle(HWND hwnd) {
    return hwnd ? static_cast<CWnd*>(::GetPropW(hwnd, kObjectProperty)) : nullptr;
}

bool CWnd::SubclassWindow(HWND hwnd) {
    if (!hwnd || m_previousProc || FromHandle(hwnd)) return false;
    m_hWnd = hwnd;
    PreSubclassWindow();
    if (!::SetPropW(hwnd, kObjectProperty, this)) {
        m_hWnd = nullptr;
        return false;
    }
    m_previousProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::SubclassProc)));
    return true;
}

bool CWnd::SubclassDlgItem(int id, const CWnd& parent) {
    return SubclassWindow(parent.GetDlgItem(id));
}

HWND CWnd::UnsubclassWindow() {
    if (!m_previousProc) return nullptr;
    HWND hwnd = m_hWnd;
    ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previousProc));
    ::RemovePropW(hwnd, kObjectProperty);
    m_previousProc = nullptr;
    m_hWnd = nullptr;
    return hwnd;
}

HWND CWnd::Detach() {
    HWND hwnd = m_hWnd;
    m_hWnd = nullptr;
    return hwnd;
}

std::wstring CWnd::GetWindowText() const {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(m_hWnd)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(::GetWindowTextW(m_hWnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

RECT CWnd::GetClientRect() const {
    RECT rect{};
    ::GetClientRect(m_hWnd, &rect);
    return rect;
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (ReflectToChild(msg, wp, lp, &result)) return result;
    if (IsControlColourMessage(msg)) {
        if (HBRUSH brush = OnCtlColor(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp), msg))
            return reinterpret_cast<LRESULT>(brush);
    }
    return Default(msg, wp, lp);
}

LRESULT CWnd::Default(UINT msg, WPARAM wp, LPARAM lp) {
    return m_previousProc ? ::CallWindowProcW(m_previousProc, m_hWnd, msg, wp, lp)
                          : ::DefWindowProcW(m_hWnd, msg, wp, lp);
}

bool CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) {
    return false;
}

HBRUSH CWnd::OnCtlColor(HDC, HWND, UINT) {
    return nullptr;
}

bool CWnd::ReflectToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    HWND child = nullptr;
    if (msg == WM_DRAWITEM && wp != 0)  // wp 0 is a menu item
        child = reinterpret_cast<const DRAWITEMSTRUCT*>(lp)->hwndItem;
    else if (IsControlColourMessage(msg))
        child = reinterpret_cast<HWND>(lp);
    CWnd* object = FromHandle(child);
    return object && object != this && object->OnChildNotify(msg, wp, lp, result);
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    CWnd* wnd = FromHandle(hwnd);
    if (!wnd) return ::DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        // The window goes away before its object: give it back its own procedure.
        WNDPROC previous = wnd->m_previousProc;
        wnd->UnsubclassWindow();
        return ::CallWindowProcW(previous, hwnd, msg, wp, lp);
    }
    return wnd->WindowProc(msg, wp, lp);
}
