// Drives Morvane.exe from another process the way a user would: through its
// windows, the pointer and window messages; every wait is bounded.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// The program under test, as given on the command line.
const std::wstring& MorvanePath();
void SetMorvanePath(std::wstring path);

// Polls condition every 50 ms for at most timeoutMs; true once it holds.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 5000);

// Pixel size of dialog units at the templates' font ("宋体", 9 points), as the
// dialog manager computes them.
struct DialogUnits {
    int baseX, baseY;
    RECT ToPixels(int x, int y, int cx, int cy) const {
        return RECT{::MulDiv(x, baseX, 4), ::MulDiv(y, baseY, 8),
                    ::MulDiv(x, baseX, 4) + ::MulDiv(cx, baseX, 4),
                    ::MulDiv(y, baseY, 8) + ::MulDiv(cy, baseY, 8)};
    }
};
DialogUnits TemplateFontUnits();

// A window's rectangle in the client coordinates of another window.
RECT RectIn(HWND window, HWND reference);

// Presses and releases the left button at the centre of a control after
// moving the pointer there.
void ClickControl(HWND control);

// The text of a window of any process.
std::wstring WindowText(HWND window);

// Types text into an edit as the keyboard would, replacing what it holds:
// one WM_CHAR per UTF-16 unit, and Enter for a line break ("\r\n" or "\n").
void TypeText(HWND edit, const std::wstring& text);

// Asks the harness for a screenshot of the window's screen rectangle, saved
// as NAME.png; false when no harness answers within the time allowed.
bool Screenshot(const char* name, HWND window);

class MorvaneProcess {
  public:
    MorvaneProcess() = default;
    ~MorvaneProcess();
    MorvaneProcess(const MorvaneProcess&) = delete;
    MorvaneProcess& operator=(const MorvaneProcess&) = delete;

    bool Start(const std::wstring& path);
    // Waits for the process to end; its exit code, or -1 when it did not end.
    int WaitForExit(int timeoutMs);
    bool Running() const;
    HWND MainWindow() const { return m_window; }

  private:
    PROCESS_INFORMATION m_process{};
    HWND m_window = nullptr;
};
