// The clean page: a snippet of injected markup is blanked out of a site's
// pages, and every page where it was found is listed, numbered, with whether
// the removal succeeded.
#pragma once

#include <string>

#include "engine_page.h"
#include "res/resource.h"

class CDlgCodeClean : public CEnginePage {
  public:
    // What the page offers to remove until the user types the markup found
    // in the site: a planted script tag and a hidden frame, on two lines.
    static const wchar_t kSampleCleanCode[];
    static constexpr int kMaxDirectory = 256;
    static constexpr int kMaxCleanCode = 340;

    CDlgCodeClean() : CEnginePage(IDD_CODE_CLEAN) {}

  protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    void OnEngineEvent(const EngineEvent& event) override;
    void CloseSession() override;

  private:
    void StartOrStop();
    void ShowSummary();

    CWnd m_progressText;
    std::wstring m_directory = L"D:\\wwwroot";
    std::wstring m_cleanCode = kSampleCleanCode;
    CSkinButton m_choosePath;
    CSkinButton m_startStop;
};
