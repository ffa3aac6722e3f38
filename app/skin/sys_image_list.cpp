#include "skin/sys_image_list.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <cwchar>

namespace {

// The icon of a normal file of that name, judged by its extension; the disk
// is not consulted.
int SmallIconIndexOf(const wchar_t* name) {
    SHFILEINFOW info{};
    if (!::SHGetFileInfoW(name, FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                          SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES))
        return -1;
    return info.iIcon;
}

}  // namespace

HIMAGELIST CSysImageList::GetImageList() {
    if (!m_imageList) LoadImageList();
    return m_imageList;
}

void CSysImageList::LoadImageList() {
    wchar_t windows[MAX_PATH] = {};
    ::GetWindowsDirectoryW(windows, MAX_PATH);
    SHFILEINFOW info{};
    m_imageList = reinterpret_cast<HIMAGELIST>(
        ::SHGetFileInfoW(windows, 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
}

int CSysImageList::GetIconIndex(const wchar_t* name) {
    if (!m_imageList) LoadImageList();
    if (!name || !*name) return -1;
    if (::PathIsURLW(name) || std::wcsncmp(name, L"www.", 4) == 0) {
        if (m_webPageIcon == -1) m_webPageIcon = SmallIconIndexOf(L"test.html");
        return m_webPageIcon;
    }
    return SmallIconIndexOf(name);
}
