// Thin objects over the standard controls the program binds to.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "ui/wnd.h"

class CButton : public CWnd {
  public:
    // Changes the button type (BS_* low bits) without losing its other styles.
    void SetButtonStyle(UINT style, bool redraw);
    bool IsPushed() const { return (SendMessage(BM_GETSTATE) & BST_PUSHED) != 0; }
    void SetPushed(bool pushed) const { SendMessage(BM_SETSTATE, pushed); }
};

class CHeaderCtrl : public CWnd {
  public:
    int GetItemCount() const { return static_cast<int>(SendMessage(HDM_GETITEMCOUNT)); }
    RECT GetItemRect(int index) const;
    // Text (up to 255 characters) and HDF_* format of a column.
    std::wstring GetItemText(int index, int* format) const;
};

class CListCtrl : public CWnd {
  public:
    HWND GetHeaderCtrl() const { return ListView_GetHeader(m_hWnd); }
    int InsertColumn(int index, const wchar_t* heading, int format, int width);
    int GetItemCount() const { return ListView_GetItemCount(m_hWnd); }
    int InsertItem(int index, const wchar_t* text, int image);
    void SetItemText(int index, int column, const wchar_t* text);
    void DeleteAllItems() const { ListView_DeleteAllItems(m_hWnd); }
    void SetExtendedStyle(DWORD style) const { ListView_SetExtendedListViewStyle(m_hWnd, style); }
    void SetImageList(HIMAGELIST list, int kind) const {
        ListView_SetImageList(m_hWnd, list, kind);
    }
};

// A tooltip window owned by this object, with whole windows as its tools.
class CToolTipCtrl : public CWnd {
  public:
    ~CToolTipCtrl() override;
    bool Create(HWND owner);
    bool AddTool(HWND tool, const wchar_t* text);
    void UpdateTipText(HWND tool, const wchar_t* text);
    void Activate(bool active) const { SendMessage(TTM_ACTIVATE, active); }
    void RelayEvent(const MSG& message) const {
        SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&message));
    }

  private:
    TOOLINFOW ToolInfo(HWND tool, const wchar_t* text) const;
};
