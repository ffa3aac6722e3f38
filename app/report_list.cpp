#include "report_list.h"

void SetUpReportList(CListCtrl& list, std::initializer_list<ReportColumn> columns,
                     HIMAGELIST smallIcons, CSkinHeaderCtrl& header) {
    HWND hwnd = list.GetSafeHwnd();
    // The pages hand over the system's icon list, which other lists use too;
    // a list without LVS_SHAREIMAGELISTS would destroy it with itself.
    const LONG_PTR style = ::GetWindowLongPtrW(hwnd, GWL_STYLE);
    ::SetWindowLongPtrW(
        hwnd, GWL_STYLE,
        (style & ~LVS_SMALLICON) | LVS_REPORT | LVS_SINGLESEL | LVS_SHAREIMAGELISTS);
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_FLATSB);
    if (smallIcons) list.SetImageList(smallIcons, LVSIL_SMALL);

    int index = 0;
    for (const ReportColumn& column : columns)
        list.InsertColumn(index++, column.heading, LVCFMT_LEFT, column.width);

    header.LoadSkin();
    if (!header.SubclassWindow(list.GetHeaderCtrl())) return;
    // The list lays its header out again only when its size changes.
    RECT rect{};
    ::GetWindowRect(hwnd, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const UINT flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
    ::SetWindowPos(hwnd, nullptr, 0, 0, width + 1, height, flags);
    ::SetWindowPos(hwnd, nullptr, 0, 0, width, height, flags);
}
