// The platform's small system icons of files, looked up by file name alone.
#pragma once

#include <windows.h>

#include <commctrl.h>

class CSysImageList {
  public:
    virtual ~CSysImageList() = default;

    // The system small-icon image list (nullptr if the platform has none).
    // It belongs to the platform and is never released.
    HIMAGELIST GetImageList();

    // Index in that list of the icon of name's file type; names that are web
    // addresses or begin with "www." get the icon of a web page. -1 for an
    // empty name or when the shell has no answer.
    int GetIconIndex(const wchar_t* name);

  private:
    void LoadImageList();

    HIMAGELIST m_imageList = nullptr;
    int m_webPageIcon = -1;
};
