#include "dostrel_app.h"

#include <commctrl.h>

#include "dostrel_dlg.h"

CDostrelApp theApp;

void CDostrelApp::InitInstance() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&controls);
    CWinApp::InitInstance();

    CDostrelDlg window;
    m_pMainWnd = &window;
    window.DoModal();
    m_pMainWnd = nullptr;
}
