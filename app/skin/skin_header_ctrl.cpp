#include "skin/skin_header_ctrl.h"

#include "res/resource.h"
#include "skin/tz_mem_dc.h"

namespace {

void Stretch(HDC target, const RECT& to, HDC bits, const CBitmap& bitmap) {
    const SIZE size = bitmap.GetSize();
    CSelectObject select(bits, bitmap.get());
    ::StretchBlt(target, to.left, to.top, to.right - to.left, to.bottom - to.top, bits, 0, 0,
                 size.cx, size.cy, SRCCOPY);
}

UINT Alignment(int format) {
    if (format & HDF_CENTER) return DT_CENTER;
    if (format & HDF_RIGHT) return DT_RIGHT;
    return DT_LEFT;
}

}  // namespace

void CSkinHeaderCtrl::LoadSkin() {
    m_background.LoadBitmap(IDB_HEADER_BACKGROUND);
    m_separator.LoadBitmap(IDB_HEADER_SEPARATOR);
}

LRESULT CSkinHeaderCtrl::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_PAINT: {
            CPaintDC dc(m_hWnd);
            Paint(dc.get());
            return 0;
        }
        case WM_ERASEBKGND:
            return TRUE;
        case HDM_LAYOUT: {
            const LRESULT result = Default(msg, wp, lp);
            auto* layout = reinterpret_cast<HDLAYOUT*>(lp);
            layout->pwpos->cy = kHeight;
            layout->prc->top = kHeight;
            return result;
        }
        default:
            return CHeaderCtrl::WindowProc(msg, wp, lp);
    }
}

void CSkinHeaderCtrl::Paint(HDC dc) {
    const RECT client = GetClientRect();
    CTzMemDC surface(client, dc);
    CDC bits;
    if (!surface.get() || !bits.CreateCompatibleDC(dc)) return;
    if (m_background) Stretch(surface.get(), client, bits.get(), m_background);

    CSelectObject font(surface.get(), ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(surface.get(), TRANSPARENT);
    const int count = GetItemCount();
    for (int i = 0; i < count; ++i) {
        RECT column = GetItemRect(i);
        if (m_separator)
            Stretch(surface.get(), RECT{column.right - 2, column.top, column.right, column.bottom},
                    bits.get(), m_separator);
        column.left += 2;
        column.right -= 2;
        int format = 0;
        const std::wstring text = GetItemText(i, &format);
        ::DrawTextW(surface.get(), text.c_str(), static_cast<int>(text.size()), &column,
                    DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS | Alignment(format));
    }
}
