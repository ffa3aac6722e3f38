// The scan page: a web site's tree is scanned for webshells and every finding
// listed with the file's icon, path, verdict word and reason.
#pragma once

#include <string>

#include "engine_page.h"
#include "res/resource.h"

class CDlgTrojanScan : public CEnginePage {
  public:
    CDlgTrojanScan() : CEnginePage(IDD_TROJAN_SCAN) {}

  protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    void OnEngineEvent(const EngineEvent& event) override;
    void CloseSession() override;

  private:
    void StartOrStop();
    void ShowSummary();

    CSkinButton m_choosePath;
    CSkinButton m_startStop;
    CWnd m_progressText;
    std::wstring m_directory = L"D:\\wwwroot";
    int m_checkAsp = 1;
    int m_checkAspx = 0;
    int m_checkPhp = 0;
    int m_checkJsp = 0;
};
