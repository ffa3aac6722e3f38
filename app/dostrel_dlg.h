// The main window: a shaped, skinned popup with four page buttons in its top
// band, three title-bar buttons and one page area that shows one page at a time.
#pragma once

#include "dlg_code_clean.h"
#include "dlg_os_power.h"
#include "dlg_trojan_scan.h"
#include "netview/dlg_net_stat.h"
#include "skin/bitmap_ex.h"
#include "skin/bmp_button.h"
#include "skin/skin_button.h"
#include "ui/dialog.h"

class CDostrelDlg : public CDialog {
  public:
    static constexpr COLORREF kSeeThrough = RGB(255, 0, 255);
    // Pressing the left button in this band of the client area moves the window.
    static constexpr RECT kDragBand{0, 0, 850, 75};

    CDostrelDlg();

  protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    // Enter and Esc do nothing: inside a page they would otherwise close the
    // program. The window closes by its close button or the system's close.
    void OnOK() override {}
    void OnCancel() override {}
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    static constexpr int kPageCount = 4;

    void SkinButtons();
    void CreatePages();
    void ShowPage(int index);
    bool EraseBackground(HDC dc);
    bool PaintMinimised();
    void StartDragIfInBand(LPARAM point) const;

    HICON m_icon;
    CBitmapEx m_skin;
    CDlgTrojanScan m_scanPage;
    CDlgCodeClean m_cleanPage;
    CDlgNetStat m_netPage;
    CDlgOsPower m_powerPage;
    CSkinButton m_pageButtons[kPageCount];
    CBmpButton m_closeButton, m_minimiseButton, m_menuButton;
};
