// The base of every window object of the program: it wraps an HWND and routes
// the window's messages to a virtual handler. Windows are bound to objects by
// subclassing (the window procedure is replaced and the previous one kept for
// default handling), so the same object model serves dialogs and the controls
// the dialog manager creates from templates.
#pragma once

#include <windows.h>

#include <string>

class CWnd {
  public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }

    // The object bound to hwnd by subclassing, or nullptr.
    static CWnd* FromHandle(HWND hwnd);

    bool SubclassWindow(HWND hwnd);
    bool SubclassDlgItem(int id, const CWnd& parent);
    HWND UnsubclassWindow();

    // Plain association without taking over the window's messages.
    void Attach(HWND hwnd) { m_hWnd = hwnd; }
    HWND Detach();

    HWND GetParent() const { return ::GetParent(m_hWnd); }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    std::wstring GetWindowText() const;
    void SetWindowText(const wchar_t* text) { ::SetWindowTextW(m_hWnd, text); }
    RECT GetClientRect() const;
    bool IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd) != FALSE; }
    bool IsWindowVisible() const { return ::IsWindowVisible(m_hWnd) != FALSE; }
    void ShowWindow(int command) const { ::ShowWindow(m_hWnd, command); }
    void Invalidate(bool erase = true) const { ::InvalidateRect(m_hWnd, nullptr, erase); }
    LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const {
        return ::SendMessageW(m_hWnd, msg, wp, lp);
    }
    bool PostMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const {
        return ::PostMessageW(m_hWnd, msg, wp, lp) != FALSE;
    }

  protected:
    // Handles one message; overrides pass what they do not handle to the base.
    // The base reflects owner-draw and control-colour messages to the child
    // object concerned, then offers control colours to OnCtlColor, then calls
    // the previous window procedure.
    virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);

    // The previous window procedure's handling of a message.
    LRESULT Default(UINT msg, WPARAM wp, LPARAM lp);

    // A message of the parent reflected to this child (WM_DRAWITEM,
    // WM_CTLCOLOR*): return true and set *result when handled.
    virtual bool OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);

    // Colour of a child control (or of this window for WM_CTLCOLORDLG):
    // nullptr leaves the message to the default handling.
    virtual HBRUSH OnCtlColor(HDC dc, HWND child, UINT msg);

    // Called once the window is known, before it is subclassed.
    virtual void PreSubclassWindow() {}

    HWND m_hWnd = nullptr;

  private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    bool ReflectToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);

    WNDPROC m_previousProc = nullptr;
};
