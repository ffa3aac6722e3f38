// The network connections page: the machine's TCP and UDP endpoints with their
// processes and the location of each remote address.
#pragma once

#include <memory>
#include <string>

#include "net_stat_reading.h"
#include "reader_page.h"
#include "skin/skin_header_ctrl.h"
#include "skin/sys_image_list.h"

class CQQwry;

class CDlgNetStat : public CReaderPage<qx::netview::NetStatSnapshot> {
  public:
    CDlgNetStat();
    ~CDlgNetStat() override;

  protected:
    BOOL OnInitDialog() override;
    Reader MakeReader() override;
    void ShowSnapshot(qx::netview::NetStatSnapshot& snapshot) override;

  private:
    CSkinHeaderCtrl m_header;
    CSysImageList m_icons;
    // Shared with the reading that runs, which may outlive the page's window.
    std::shared_ptr<CQQwry> m_locations;
    std::wstring m_folder;  // the program's folder, with its trailing backslash
};
