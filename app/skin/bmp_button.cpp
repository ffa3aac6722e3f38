#include "skin/bmp_button.h"

CBmpButton::CBmpButton() : m_cursor(::LoadCursorW(nullptr, IDC_HAND)) {}

void CBmpButton::PreSubclassWindow() {
    SetButtonStyle(BS_OWNERDRAW, false);
}

bool CBmpButton::SetBitmapStrip(UINT id) {
    CBitmap strip;
    if (!strip.LoadBitmap(id)) {
        for (CBitmap& frame : m_frames) frame.reset();
        return false;
    }
    return SetBitmapStrip(strip.get());
}

bool CBmpButton::SetBitmapStrip(HBITMAP strip) {
    for (CBitmap& frame : m_frames) frame.reset();
    BITMAP info{};
    if (!::GetObjectW(strip, sizeof info, &info)) return false;
    const int frameWidth = info.bmWidth / 4, height = info.bmHeight;
    CClientDC screen(nullptr);
    CDC source, target;
    if (!source.CreateCompatibleDC(screen.get()) || !target.CreateCompatibleDC(screen.get()))
        return false;
    CSelectObject selectStrip(source.get(), strip);
    for (int i = 0; i < 4; ++i) {
        if (!m_frames[i].CreateCompatibleBitmap(screen.get(), frameWidth, height)) return false;
        CSelectObject selectFrame(target.get(), m_frames[i].get());
        if (!::BitBlt(target.get(), 0, 0, frameWidth, height, source.get(), i * frameWidth, 0,
                      SRCCOPY))
            return false;
    }
    m_transparentColour = kMagenta;
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, frameWidth, height,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

bool CBmpButton::OnChildNotify(UINT msg, WPARAM, LPARAM, LRESULT* result) {
    // The button paints itself on WM_PAINT; the parent has nothing to draw.
    if (msg != WM_DRAWITEM) return false;
    *result = TRUE;
    return true;
}

LRESULT CBmpButton::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_PAINT: {
            CPaintDC dc(m_hWnd);
            Paint(dc.get());
            return 0;
        }
        case WM_ERASEBKGND:
            return TRUE;
        case WM_SETCURSOR:
            // Keeps the class cursor from flashing between the moves below.
            if (!IsWindowEnabled()) break;
            ::SetCursor(m_cursor);
            return TRUE;
        case WM_MOUSEMOVE: {
            if (IsWindowEnabled()) ::SetCursor(m_cursor);
            const LRESULT result = Default(msg, wp, lp);
            if (m_state != kHover && !m_mouseDown) SetState(kHover);
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, m_hWnd, 0};
            ::TrackMouseEvent(&track);
            return result;
        }
        case WM_LBUTTONDOWN:
            m_mouseDown = true;
            if (m_state != kPressed) SetState(kPressed);
            return Default(msg, wp, lp);
        case WM_LBUTTONUP:
            m_mouseDown = false;
            if (m_state != kHover) SetState(kHover);
            return Default(msg, wp, lp);
        case WM_MOUSELEAVE:
            m_mouseDown = false;
            if (m_state != kNormal) SetState(kNormal);
            Invalidate(true);
            return 0;
        default:
            break;
    }
    return CButton::WindowProc(msg, wp, lp);
}

void CBmpButton::SetState(State state) {
    m_state = state;
    Invalidate(false);
}

void CBmpButton::Paint(HDC dc) const {
    const RECT client = GetClientRect();
    const int w = client.right, h = client.bottom;
    // Composed off-screen over the parent's own background, so that the
    // see-through pixels show the window below and not an earlier frame.
    CDC buffer;
    CBitmap bufferBitmap;
    if (!buffer.CreateCompatibleDC(dc) || !bufferBitmap.CreateCompatibleBitmap(dc, w, h)) return;
    CSelectObject selectBuffer(buffer.get(), bufferBitmap.get());
    PaintParentBackground(buffer.get());

    const CBitmap& frame = m_frames[IsWindowEnabled() ? m_state : kDisabledFrame];
    if (frame) DrawTransparent(buffer.get(), w, h, frame);

    const std::wstring caption = GetWindowText();
    if (!caption.empty()) {
        SIZE extent{};
        ::GetTextExtentPoint32W(buffer.get(), caption.c_str(), static_cast<int>(caption.size()),
                                &extent);
        ::SetBkMode(buffer.get(), TRANSPARENT);
        ::SetTextColor(buffer.get(), RGB(255, 255, 255));
        ::TextOutW(buffer.get(), (w - extent.cx) / 2, (h - extent.cy) / 2, caption.c_str(),
                   static_cast<int>(caption.size()));
    }
    ::BitBlt(dc, 0, 0, w, h, buffer.get(), 0, 0, SRCCOPY);
}

void CBmpButton::PaintParentBackground(HDC dc) const {
    HWND parent = GetParent();
    POINT origin{0, 0};
    ::MapWindowPoints(m_hWnd, parent, &origin, 1);
    POINT previous{};
    ::SetViewportOrgEx(dc, -origin.x, -origin.y, &previous);
    ::SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    ::SetViewportOrgEx(dc, previous.x, previous.y, nullptr);
}

void CBmpButton::DrawTransparent(HDC dc, int w, int h, const CBitmap& frame) const {
    const SIZE size = frame.GetSize();
    CDC source, image, mask;
    CBitmap imageBitmap, maskBitmap(::CreateBitmap(w, h, 1, 1, nullptr));
    if (!source.CreateCompatibleDC(dc) || !image.CreateCompatibleDC(dc) ||
        !mask.CreateCompatibleDC(dc) || !imageBitmap.CreateCompatibleBitmap(dc, w, h) ||
        !maskBitmap)
        return;
    CSelectObject selectSource(source.get(), frame.get());
    CSelectObject selectImage(image.get(), imageBitmap.get());
    CSelectObject selectMask(mask.get(), maskBitmap.get());

    // The frame at the client's size.
    ::SetStretchBltMode(image.get(), COLORONCOLOR);
    ::StretchBlt(image.get(), 0, 0, w, h, source.get(), 0, 0, size.cx, size.cy, SRCCOPY);
    // One-bit mask, set where the frame has the transparent colour.
    ::SetBkColor(image.get(), m_transparentColour);
    ::BitBlt(mask.get(), 0, 0, w, h, image.get(), 0, 0, SRCCOPY);
    // Clear the transparent pixels in the frame and the others in the target,
    // then combine the two.
    ::SetBkColor(image.get(), RGB(255, 255, 255));
    ::SetTextColor(image.get(), RGB(0, 0, 0));
    ::BitBlt(image.get(), 0, 0, w, h, mask.get(), 0, 0, 0x00220326 /* DSna */);
    const COLORREF previousBk = ::SetBkColor(dc, RGB(255, 255, 255));
    const COLORREF previousText = ::SetTextColor(dc, RGB(0, 0, 0));
    ::BitBlt(dc, 0, 0, w, h, mask.get(), 0, 0, SRCAND);
    ::BitBlt(dc, 0, 0, w, h, image.get(), 0, 0, SRCPAINT);
    ::SetBkColor(dc, previousBk);
    ::SetTextColor(dc, previousText);
}
