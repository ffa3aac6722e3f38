// The power records page: when the machine was started and shut down, as the
// System event log remembers it.
#pragma once

#include <vector>

#include "host/power_records.h"
#include "reader_page.h"
#include "skin/skin_header_ctrl.h"

struct PowerSnapshot {
    std::vector<qx::host::PowerRow> rows;  // oldest first
};

class CDlgOsPower : public CReaderPage<PowerSnapshot> {
  public:
    CDlgOsPower() : CReaderPage(IDD_OS_POWER) {}

  protected:
    BOOL OnInitDialog() override;
    Reader MakeReader() override;
    void ShowSnapshot(PowerSnapshot& snapshot) override;

  private:
    CSkinHeaderCtrl m_header;
};
