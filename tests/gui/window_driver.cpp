#include "window_driver.h"

#include <cstdio>
#include <cstdlib>

namespace {
std::wstring g_morvanePath;
}

const std::wstring& MorvanePath() {
    return g_morvanePath;
}
void SetMorvanePath(std::wstring path) {
    g_morvanePath = std::move(path);
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
    for (int waited = 0;; waited += 50) {
        if (condition()) return true;
        if (waited >= timeoutMs) return false;
        ::Sleep(50);
    }
}

DialogUnits TemplateFontUnits() {
    HDC screen = ::GetDC(nullptr);
    HFONT font = ::CreateFontW(-::MulDiv(9, ::GetDeviceCaps(screen, LOGPIXELSY), 72), 0, 0, 0,
                               FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"宋体");
    HGDIOBJ previous = ::SelectObject(screen, font);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(screen, &metrics);
    const wchar_t alphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE extent{};
    ::GetTextExtentPoint32W(screen, alphabet, 52, &extent);
    ::SelectObject(screen, previous);
    ::DeleteObject(font);
    ::ReleaseDC(nullptr, screen);
    return DialogUnits{(extent.cx / 26 + 1) / 2, metrics.tmHeight};
}

RECT RectIn(HWND window, HWND reference) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    ::MapWindowPoints(nullptr, reference, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void ClickControl(HWND control) {
    RECT rect{};
    ::GetWindowRect(control, &rect);
    POINT point{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ::SetCursorPos(point.x, point.y);
    ::ScreenToClient(control, &point);
    const LPARAM at = MAKELPARAM(point.x, point.y);
    ::SendMessageW(control, WM_MOUSEMOVE, 0, at);
    ::SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(control, WM_LBUTTONUP, 0, at);
}

std::wstring WindowText(HWND window) {
    // GetWindowText of another process's window reads only the text the
    // system keeps for it, never an edit's; WM_GETTEXT is carried across.
    std::wstring text(static_cast<size_t>(::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) + 1,
                      L'\0');
    text.resize(static_cast<size_t>(
        ::SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

void TypeText(HWND edit, const std::wstring& text) {
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
    ::SendMessageW(edit, WM_CHAR, VK_BACK, 1);
    for (size_t i = 0; i < text.size(); ++i) {
        // Enter is the one key of a line break, whichever form it has here.
        if (text[i] == L'\n' && i > 0 && text[i - 1] == L'\r') continue;
        ::SendMessageW(edit, WM_CHAR, text[i] == L'\n' ? L'\r' : text[i], 1);
    }
}

bool Screenshot(const char* name, HWND window) {
    const char* dir = std::getenv("QX_SHOT_DIR");
    if (!dir) return false;
    // Lets the window finish painting and Wine hand the picture to the display.
    ::Sleep(700);
    RECT rect{};
    ::GetWindowRect(window, &rect);
    const std::string request = std::string(dir) + "/request";
    const std::string pending = request + ".tmp";
    const std::string done = std::string(dir) + "/done-" + name;
    ::DeleteFileA(done.c_str());
    FILE* file = std::fopen(pending.c_str(), "w");
    if (!file) return false;
    std::fprintf(file, "%s %ld %ld %ld %ld\n", name, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top);
    std::fclose(file);
    if (!::MoveFileExA(pending.c_str(), request.c_str(), MOVEFILE_REPLACE_EXISTING)) return false;
    const bool answered = WaitUntil(
        [&] { return ::GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES; }, 30000);
    ::DeleteFileA(done.c_str());
    return answered;
}

MorvaneProcess::~MorvaneProcess() {
    if (!m_process.hProcess) return;
    if (Running()) ::TerminateProcess(m_process.hProcess, 1);
    ::CloseHandle(m_process.hThread);
    ::CloseHandle(m_process.hProcess);
}

bool MorvaneProcess::Start(const std::wstring& path) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring commandLine = L"\"" + path + L"\"";
    if (!::CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &m_process))
        return false;
    ::WaitForInputIdle(m_process.hProcess, 20000);
    return WaitUntil(
        [&] {
            m_window = ::FindWindowW(nullptr, L"Kelmora");
            return m_window && ::IsWindowVisible(m_window);
        },
        30000);
}

int MorvaneProcess::WaitForExit(int timeoutMs) {
    if (::WaitForSingleObject(m_process.hProcess, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(m_process.hProcess, &code);
    return static_cast<int>(code);
}

bool MorvaneProcess::Running() const {
    return m_process.hProcess && ::WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT;
}
