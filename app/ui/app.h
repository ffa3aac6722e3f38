// The application object: the program defines exactly one, as a global, and
// the framework's entry point runs its start-up.
#pragma once

#include "ui/wnd.h"

class CWinApp {
  public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    static CWinApp* Current();

    // The program's whole run. The base prepares the shell's dialogs and
    // icon look-ups, which need the component object model on this thread.
    virtual void InitInstance();
    // Undoes what InitInstance prepared; runs when InitInstance returns.
    virtual void ExitInstance();

    CWnd* m_pMainWnd = nullptr;

  private:
    bool m_comInitialised = false;
};
