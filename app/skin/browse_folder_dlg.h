// The platform's folder picker; the picker's window is attached to this
// object while it is shown.
#pragma once

#include <windows.h>

#include <shlobj.h>

#include <string>

#include "ui/wnd.h"

class CBrowseFolderDlg : public CWnd {
  public:
    explicit CBrowseFolderDlg(std::wstring title) : m_title(std::move(title)) {}

    // IDOK when a folder was confirmed (its path, possibly empty for a folder
    // outside the file system, is then GetFolderPath), IDCANCEL otherwise.
    INT_PTR DoModal();
    std::wstring GetFolderPath() const { return m_path; }

  protected:
    // The selection moved to item.
    virtual void OnSelChanged(PCIDLIST_ABSOLUTE item);
    // An edited name was refused; true lets the picker close.
    virtual bool OnValidateFailed(const wchar_t* name);

  private:
    static int CALLBACK Callback(HWND hwnd, UINT msg, LPARAM lp, LPARAM data);

    wchar_t m_displayName[MAX_PATH] = {};
    std::wstring m_title;
    wchar_t m_path[MAX_PATH] = {};
};
