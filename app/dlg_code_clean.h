// The clean page: a snippet of injected markup is blanked out of a site's pages.
#pragma once

#include "page_dialog.h"
#include "res/resource.h"

class CDlgCodeClean : public CPageDialog {
  public:
    CDlgCodeClean() : CPageDialog(IDD_CODE_CLEAN) {}
};
