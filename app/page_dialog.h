// What the four pages of the main window share: they are modeless child
// dialogs laid over the page area, drawn on the page colour with their
// buttons, check boxes and static texts transparent over it.
#pragma once

#include <string>
#include <string_view>

#include "ui/dialog.h"
#include "ui/gdi.h"

class CPageDialog : public CDialog {
  public:
    static constexpr COLORREF kPageColour = RGB(222, 238, 244);

    using CDialog::CDialog;

  protected:
    BOOL OnInitDialog() override;
    HBRUSH OnCtlColor(HDC dc, HWND child, UINT msg) override;
    // Enter and Esc inside a page neither end it nor the program.
    void OnOK() override {}
    void OnCancel() override {}

  private:
    CBrush m_pageBrush;
};

// Text of the shared cores (UTF-16) as the window's wide characters: the same
// units on Windows.
inline std::wstring Wide(std::u16string_view text) {
    return {text.begin(), text.end()};
}
