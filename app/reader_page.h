// A page whose report list shows what a reader thread of its own collects.
// A reading starts on the page's first showing and whenever its refresh
// button (1026) is pressed while none runs; the button stays disabled and the
// list empty until the reading's result is shown. A reading still running
// when the page's window goes is waited for, and its result dropped.
#pragma once

#include <functional>
#include <memory>

#include "page_dialog.h"
#include "page_worker.h"
#include "res/resource.h"
#include "skin/skin_button.h"
#include "ui/controls.h"

template <class Snapshot>
class CReaderPage : public CPageDialog {
  public:
    using Reader = std::function<std::unique_ptr<Snapshot>()>;

  protected:
    explicit CReaderPage(UINT templateId) : CPageDialog(templateId) {}

    // The reading to run on the thread. It owns or shares everything it uses
    // and never touches the page or its windows.
    virtual Reader MakeReader() = 0;
    // Puts a finished reading into the list (on the window thread).
    virtual void ShowSnapshot(Snapshot& snapshot) = 0;

    void DoDataExchange(CDataExchange& dx) override {
        DDX_Control(dx, IDC_REFRESH, m_refreshButton);
        DDX_Control(dx, IDC_RESULT_LIST, m_list);
    }

    BOOL OnInitDialog() override {
        const BOOL result = CPageDialog::OnInitDialog();
        m_refreshButton.SetSkin(IDB_BUTTON_NORMAL, IDB_BUTTON_PRESSED, IDB_BUTTON_HOVER,
                                IDB_BUTTON_DISABLED, IDB_BUTTON_FOCUS, 0);
        return result;
    }

    bool OnCommand(WORD id, WORD code, HWND control) override {
        if (id == IDC_REFRESH && code == BN_CLICKED) {
            StartReading();
            return true;
        }
        return CPageDialog::OnCommand(id, code, control);
    }

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == m_worker.DoneMessage()) {
            m_worker.Finish(lp, [this](Snapshot& snapshot) {
                ShowSnapshot(snapshot);
                ::EnableWindow(m_refreshButton.GetSafeHwnd(), TRUE);
            });
            return 0;
        }
        switch (msg) {
            case WM_SHOWWINDOW: {
                const LRESULT result = CPageDialog::WindowProc(msg, wp, lp);
                if (wp && !m_shownOnce) {
                    m_shownOnce = 1;
                    StartReading();
                }
                return result;
            }
            case WM_DESTROY:
                m_worker.Discard(m_hWnd);
                break;
            default:
                break;
        }
        return CPageDialog::WindowProc(msg, wp, lp);
    }

    CSkinButton m_refreshButton;
    CListCtrl m_list;

  private:
    static constexpr UINT kReadingDone = WM_APP + 1;

    void StartReading() {
        if (m_worker.IsBusy()) return;
        ::EnableWindow(m_refreshButton.GetSafeHwnd(), FALSE);
        m_list.DeleteAllItems();
        if (!m_worker.Start(m_hWnd, MakeReader()))
            ::EnableWindow(m_refreshButton.GetSafeHwnd(), TRUE);
    }

    int m_shownOnce = 0;
    CPageWorker<Snapshot> m_worker{kReadingDone};
};
