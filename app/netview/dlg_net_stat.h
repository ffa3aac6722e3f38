// The network connections page: the machine's TCP and UDP endpoints with their
// processes and the location of each remote address.
#pragma once

#include "page_dialog.h"
#include "res/resource.h"

class CDlgNetStat : public CPageDialog {
  public:
    CDlgNetStat() : CPageDialog(IDD_NET_STAT) {}
};
