#include "skin/bitmap_ex.h"

bool CBitmapEx::DrawPart(HDC dc, int x, int y, int width, int height, int sourceX, int sourceY,
                         int sourceWidth, int sourceHeight) const {
    if (!dc || !get()) return false;
    CDC source;
    if (!source.CreateCompatibleDC(dc)) return false;
    CSelectObject select(source.get(), get());
    if (sourceWidth == 0 || sourceHeight == 0)
        return ::BitBlt(dc, x, y, width, height, source.get(), sourceX, sourceY, SRCCOPY) != FALSE;
    const int previousMode = ::SetStretchBltMode(dc, COLORONCOLOR);
    const BOOL drawn = ::StretchBlt(dc, x, y, width, height, source.get(), sourceX, sourceY,
                                    sourceWidth, sourceHeight, SRCCOPY);
    ::SetStretchBltMode(dc, previousMode);
    return drawn != FALSE;
}

void CBitmapEx::DrawNineParts(HDC dc, int w, int h) const {
    const SIZE size = GetSize();
    const int bw = size.cx, bh = size.cy;
    const int l = m_slices.leftWidth, t = m_slices.topHeight;
    const int r = m_slices.topRightWidth, rt = m_slices.topRightHeight;
    const int s = m_slices.bottomSideWidth, b = m_slices.bottomHeight;
    // In this order, so that later parts win where they overlap.
    DrawPart(dc, 0, 0, l, t, 0, 0, 0, 0);
    DrawPart(dc, l, 0, w - l - r, t, l, 0, bw - l - r, t);
    DrawPart(dc, w - r, 0, r, rt, bw - r, 0, r, rt);
    DrawPart(dc, 0, t, l, h - t - b, 0, t, l, bh - t - b);
    DrawPart(dc, l, t, w - 2 * l, h - t - b, l, t, bw - 2 * l, bh - t - b);
    DrawPart(dc, w - l, t, l, h - t - b, bw - l, t, l, bh - t - b);
    DrawPart(dc, 0, h - b, s, b, 0, bh - b, s, b);
    DrawPart(dc, s, h - b, w - 2 * s, b, s, bh - b, bw - 2 * s, b);
    DrawPart(dc, w - s, h - b, s, b, bw - s, bh - b, s, b);
}
