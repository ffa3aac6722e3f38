// An owner-drawn button whose every state is a bitmap. It behaves as a push
// button, check box or radio button (taken from its style when bound), can
// take the outline of a mask bitmap, and carries a tooltip.
#pragma once

#include "ui/controls.h"
#include "ui/gdi.h"

class CSkinButton : public CButton {
  public:
    // Posted to the other radio buttons of a group: clear your check state.
    static constexpr UINT kUncheckMessage = WM_USER + 0x100;

    enum Kind { kPushButton = 0, kCheckBox = 2, kRadioButton = 4 };
    // The kind a button style asks for: an automatic check box or radio button,
    // anything else a push button.
    static int KindFromStyle(DWORD style);

    enum DrawMode : short { kUnscaled = 0, kStretched = 1, kTiled = 2 };

    CSkinButton();

    // Loads the state bitmaps (0: none; without a disabled bitmap the normal
    // one is used), draws them unscaled, without border or focus rectangle.
    // With a mask the button takes the mask's outline as its window region and
    // the mask's size.
    void SetSkin(UINT normal, UINT pressed, UINT hover, UINT disabled, UINT focus, UINT mask);
    void SetToolTipText(const wchar_t* text);

    void SetDrawMode(DrawMode mode) { m_drawMode = mode; }
    void SetBorder(int border) { m_border = border; }
    void SetFocusInset(short inset) { m_focusInset = inset; }
    void SetTextColour(COLORREF colour) { m_textColour = colour; }

  protected:
    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

  private:
    void DrawItem(const DRAWITEMSTRUCT& item);
    void DrawStateBitmap(HDC dc, const RECT& rect, const CBitmap& bitmap) const;
    void DrawCaption(HDC dc, const std::wstring& caption, RECT rect) const;
    void OnLeftButtonDown(WPARAM wp, LPARAM lp);
    void ToggleByUser();
    void SetChecked(bool checked);
    void UncheckGroup() const;
    bool IsUnderCursor() const;
    void RelayToTooltip(UINT msg, WPARAM wp, LPARAM lp) const;

    bool m_checked = false;
    int m_kind = kPushButton;
    bool m_hover = false;
    bool m_mouseDown = false;
    CToolTipCtrl m_tooltip;
    CBitmap m_normal, m_pressed, m_disabled, m_mask, m_hoverImage, m_focusImage;
    short m_focusInset = 0;
    COLORREF m_textColour;
    int m_border = 0;
    DrawMode m_drawMode = kStretched;
};
