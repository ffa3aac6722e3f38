#include "ui/app.h"

#include <objbase.h>

namespace {
CWinApp* g_application = nullptr;
}

CWinApp::CWinApp() {
    g_application = this;
}

CWinApp::~CWinApp() {
    if (g_application == this) g_application = nullptr;
}

CWinApp* CWinApp::Current() {
    return g_application;
}

void CWinApp::InitInstance() {
    m_comInitialised = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
}

void CWinApp::ExitInstance() {
    if (m_comInitialised) ::CoUninitialize();
    m_comInitialised = false;
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    CWinApp* application = CWinApp::Current();
    if (!application) return 1;
    application->InitInstance();
    application->ExitInstance();
    return 0;
}
