// The scan page: a web site's tree is scanned for webshells and every finding
// listed.
#pragma once

#include "page_dialog.h"
#include "res/resource.h"

class CDlgTrojanScan : public CPageDialog {
  public:
    CDlgTrojanScan() : CPageDialog(IDD_TROJAN_SCAN) {}
};
