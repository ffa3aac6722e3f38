// What the scan and clean pages share: a site directory that the folder
// picker can fill, skinned push buttons, a result list of files with their
// icons under a skinned header, and an engine run whose events the engine's
// worker thread hands over to the page's window thread.
#pragma once

#include <initializer_list>
#include <string>

#include "engine_event_queue.h"
#include "page_dialog.h"
#include "report_list.h"
#include "skin/skin_button.h"
#include "skin/skin_header_ctrl.h"
#include "skin/sys_image_list.h"
#include "ui/controls.h"

class CEnginePage : public CPageDialog {
  public:
    // Posted to the page when engine events wait in its queue.
    static constexpr UINT kEventsWaitingMessage = WM_APP + 0x51;
    // The timer that takes them instead while the user's input waits.
    static constexpr UINT_PTR kEventsAfterInputTimer = 0x51;

    // Where the engine's callback, on the worker thread, leaves its events.
    EngineEventQueue& Events() { return m_events; }

  protected:
    using CPageDialog::CPageDialog;

    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

    // An engine event of the current run, on the window thread, in the
    // order the engine sent it.
    virtual void OnEngineEvent(const EngineEvent& event) = 0;
    // Stops the page's engine session if there is one, then closes it. Called
    // when the page is destroyed.
    virtual void CloseSession() = 0;

    static void SkinPushButton(CSkinButton& button);
    // Makes the bound list a report of files with their system icons, these
    // columns and no rows.
    void PrepareResultList(std::initializer_list<ReportColumn> columns);
    // Appends a row whose icon is that of iconName's file type; texts fill
    // the columns from the first.
    void AppendRow(const wchar_t* iconName, std::initializer_list<const wchar_t*> texts);
    // Reads the fields from the controls, runs the folder picker and, when a
    // folder is confirmed, puts its path into directory and writes every field
    // back; a cancel changes nothing.
    void ChooseDirectory(std::wstring& directory);

    CListCtrl m_list;

  private:
    void TakeEvents();

    CSkinHeaderCtrl m_header;
    CSysImageList m_icons;
    EngineEventQueue m_events;
};
