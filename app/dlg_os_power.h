// The power records page: when the machine was started and shut down.
#pragma once

#include "page_dialog.h"
#include "res/resource.h"

class CDlgOsPower : public CPageDialog {
  public:
    CDlgOsPower() : CPageDialog(IDD_OS_POWER) {}
};
