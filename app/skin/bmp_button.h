// A small button drawn from one bitmap strip of four frames (normal, hover,
// pressed, disabled) in which one colour is see-through; the title-bar
// buttons of the main window.
#pragma once

#include "ui/controls.h"
#include "ui/gdi.h"

class CBmpButton : public CButton {
  public:
    static constexpr COLORREF kMagenta = RGB(255, 0, 255);

    CBmpButton();

    // Splits bitmap resource id into four frames of a quarter of its width
    // (rounded down) and resizes the button to one frame, keeping its
    // top-left corner. False when the strip cannot be loaded or split.
    bool SetBitmapStrip(UINT id);
    bool SetBitmapStrip(HBITMAP strip);

  protected:
    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

  private:
    enum State { kNormal = 0, kHover = 1, kPressed = 2 };
    static constexpr int kDisabledFrame = 3;

    void SetState(State state);
    void Paint(HDC dc) const;
    void PaintParentBackground(HDC dc) const;
    void DrawTransparent(HDC dc, int width, int height, const CBitmap& frame) const;

    CBitmap m_frames[4];
    State m_state = kNormal;
    bool m_mouseDown = false;
    COLORREF m_transparentColour = kMagenta;
    HCURSOR m_cursor;
};
