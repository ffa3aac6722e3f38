// The application object of Morvane.exe: it shows the main window modally and
// the program ends when the window closes.
#pragma once

#include "ui/app.h"

class CDostrelApp : public CWinApp {
  public:
    void InitInstance() override;
};
