// The report lists of the pages: single, full-row selection, flat scroll
// bars, left-aligned columns and the skinned 20-pixel header.
#pragma once

#include <initializer_list>

#include "skin/skin_header_ctrl.h"
#include "ui/controls.h"

struct ReportColumn {
    const wchar_t* heading;
    int width;  // pixels
};

// smallIcons (may be null) stays the caller's: the list never destroys it.
void SetUpReportList(CListCtrl& list, std::initializer_list<ReportColumn> columns,
                     HIMAGELIST smallIcons, CSkinHeaderCtrl& header);
