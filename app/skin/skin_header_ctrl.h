// The column header of a report list, painted from two bitmaps (a background
// stretched over the whole header and a separator at the right end of every
// column) and always 20 pixels high.
#pragma once

#include "ui/controls.h"
#include "ui/gdi.h"

class CSkinHeaderCtrl : public CHeaderCtrl {
  public:
    static constexpr int kHeight = 20;

    // Loads the two bitmaps; called before the list's header is subclassed.
    void LoadSkin();

  protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    void Paint(HDC dc);

    CBitmap m_background;
    CBitmap m_separator;
};
