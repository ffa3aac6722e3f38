// What the skinned-control tests share: a dialog with one of each control,
// pixel surfaces and a user's clicks.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>

#include "skin/bmp_button.h"
#include "skin/skin_button.h"
#include "skin_test_ids.h"
#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui/gdi.h"

// Runs every message waiting for this thread.
void PumpMessages();

// A top-down 32-bit picture selected into its own device context.
class Surface {
  public:
    Surface(int width, int height);
    HDC dc() const { return m_dc.get(); }
    HBITMAP bitmap() const { return m_bitmap.get(); }
    // 0x00RRGGBB
    uint32_t At(int x, int y) const { return m_bits[y * m_width + x] & 0xFFFFFF; }
    void Set(int x, int y, uint32_t rgb) { m_bits[y * m_width + x] = rgb; }
    // A device-dependent copy of the picture, as bitmap resources load.
    HBITMAP Copy() const;

  private:
    int m_width, m_height;
    uint32_t* m_bits = nullptr;
    CBitmap m_bitmap;
    CDC m_dc;
};

constexpr uint32_t Rgb(int r, int g, int b) {
    return static_cast<uint32_t>(r << 16 | g << 8 | b);
}

// The colour shown at a client point of a window, as 0x00RRGGBB.
uint32_t PixelOf(HWND window, int x, int y);

class TestDialog : public CDialog {
  public:
    static constexpr COLORREF kBackground = RGB(10, 200, 30);

    TestDialog() : CDialog(IDD_SKIN_TEST) {}

    CSkinButton radios[4];
    CSkinButton check;
    CBmpButton strip;
    CSkinButton shaped;
    CListCtrl list;
    std::wstring text = L"D:\\wwwroot";
    int ticked = 1;
    std::map<int, int> clicks;
    CBrush editBrush;

  protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    HBRUSH OnCtlColor(HDC dc, HWND child, UINT msg) override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
};

// Moves the pointer to a screen point and lets the window under it see the move.
void MovePointer(HWND window, POINT screen);
POINT CentreOf(HWND window);
// A left click at the centre of a control, the pointer moving there first.
void Click(HWND control);
