#include "skin/skin_button.h"

#include <windowsx.h>

#include <algorithm>

#include "skin/mask_outline.h"

namespace {

bool StartsGroup(HWND hwnd) {
    return (::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_GROUP) != 0;
}

// The control after hwnd in its group, wrapping from the group's last control
// to its first (the one with WS_GROUP, or the parent's first child).
HWND NextInGroup(HWND hwnd) {
    HWND next = ::GetWindow(hwnd, GW_HWNDNEXT);
    if (next && !StartsGroup(next)) return next;
    HWND first = hwnd;
    while (!StartsGroup(first)) {
        HWND previous = ::GetWindow(first, GW_HWNDPREV);
        if (!previous) break;
        first = previous;
    }
    return first;
}

bool TrackLeave(HWND hwnd, bool cancel) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof track;
    track.dwFlags = TME_LEAVE | (cancel ? TME_CANCEL : 0);
    track.hwndTrack = hwnd;
    return ::TrackMouseEvent(&track) != FALSE;
}

void FillFace(HDC dc, const RECT& rect) {
    ::FillRect(dc, &rect, ::GetSysColorBrush(COLOR_BTNFACE));
}

}  // namespace

int CSkinButton::KindFromStyle(DWORD style) {
    const DWORD low = style & 0xFF;
    if ((low & 0x3) == 0x3) return kCheckBox;
    if ((low & 0x9) == 0x9) return kRadioButton;
    return kPushButton;
}

CSkinButton::CSkinButton() : m_textColour(::GetSysColor(COLOR_BTNTEXT)) {}

void CSkinButton::PreSubclassWindow() {
    m_kind = KindFromStyle(static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)));
    SetButtonStyle(BS_OWNERDRAW, false);
}

void CSkinButton::SetSkin(UINT normal, UINT pressed, UINT hover, UINT disabled, UINT focus,
                          UINT mask) {
    for (CBitmap* bitmap :
         {&m_normal, &m_pressed, &m_disabled, &m_mask, &m_hoverImage, &m_focusImage})
        bitmap->reset();
    m_normal.LoadBitmap(normal);
    m_pressed.LoadBitmap(pressed);
    m_hoverImage.LoadBitmap(hover);
    if (focus) m_focusImage.LoadBitmap(focus);
    m_disabled.LoadBitmap(disabled ? disabled : normal);
    m_drawMode = kUnscaled;
    m_border = 0;
    m_focusInset = 0;
    if (!mask || !m_mask.LoadBitmap(mask)) return;
    // The window owns the region it is given, and frees the one it had.
    if (HRGN outline = OutlineFromMask(m_mask.get())) {
        if (!::SetWindowRgn(m_hWnd, outline, TRUE)) ::DeleteObject(outline);
    }
    const SIZE size = m_mask.GetSize();
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, size.cx, size.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CSkinButton::SetToolTipText(const wchar_t* text) {
    if (m_tooltip.GetSafeHwnd()) {
        m_tooltip.UpdateTipText(m_hWnd, text);
        return;
    }
    if (!m_tooltip.Create(m_hWnd)) return;
    m_tooltip.AddTool(m_hWnd, text);
    m_tooltip.Activate(true);
}

bool CSkinButton::OnChildNotify(UINT msg, WPARAM, LPARAM lp, LRESULT* result) {
    if (msg != WM_DRAWITEM) return false;
    DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
    *result = TRUE;
    return true;
}

LRESULT CSkinButton::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:  // a second press at the same point
            OnLeftButtonDown(wp, lp);
            return 0;
        case WM_LBUTTONUP: {
            if (m_kind != kPushButton && IsUnderCursor()) ToggleByUser();
            RelayToTooltip(msg, wp, lp);
            m_mouseDown = false;
            return Default(msg, wp, lp);
        }
        case WM_MOUSEMOVE:
            RelayToTooltip(msg, wp, lp);
            if (m_mouseDown && ::GetCapture() == m_hWnd) {
                const bool under = IsUnderCursor();
                if (under != IsPushed()) {
                    SetPushed(under);
                    Invalidate();
                }
            } else if (!m_hover && TrackLeave(m_hWnd, false)) {
                m_hover = true;
                Invalidate();
            }
            return Default(msg, wp, lp);
        case WM_MOUSELEAVE:
            m_hover = false;
            Invalidate();
            return 0;
        case WM_KILLFOCUS:
            if (::GetCapture() == m_hWnd) {
                ::ReleaseCapture();
                m_mouseDown = false;
            }
            return Default(msg, wp, lp);
        case WM_KEYDOWN:
            if (m_kind != kPushButton && wp == VK_SPACE) ToggleByUser();
            return Default(msg, wp, lp);
        case BM_SETCHECK:
            SetChecked(wp != BST_UNCHECKED);
            return 0;
        case BM_GETCHECK:
            return m_checked ? BST_CHECKED : BST_UNCHECKED;
        case kUncheckMessage:
            if (m_checked) {
                m_checked = false;
                Invalidate();
            }
            return 0;
        case WM_ERASEBKGND:
            return TRUE;
        default:
            return CButton::WindowProc(msg, wp, lp);
    }
}

void CSkinButton::OnLeftButtonDown(WPARAM wp, LPARAM lp) {
    RelayToTooltip(WM_LBUTTONDOWN, wp, lp);
    if (m_hover && TrackLeave(m_hWnd, true)) m_hover = false;
    Default(WM_LBUTTONDOWN, wp, lp);
    m_mouseDown = true;
}

void CSkinButton::ToggleByUser() {
    SendMessage(BM_SETCHECK, m_kind == kCheckBox ? !m_checked : TRUE);
}

void CSkinButton::SetChecked(bool checked) {
    m_checked = checked && m_kind != kPushButton;
    if (m_checked && m_kind == kRadioButton) UncheckGroup();
    Invalidate();
}

void CSkinButton::UncheckGroup() const {
    for (HWND other = NextInGroup(m_hWnd); other && other != m_hWnd; other = NextInGroup(other))
        ::PostMessageW(other, kUncheckMessage, 0, 0);
}

bool CSkinButton::IsUnderCursor() const {
    POINT cursor{};
    return ::GetCursorPos(&cursor) && ::WindowFromPoint(cursor) == m_hWnd;
}

void CSkinButton::RelayToTooltip(UINT msg, WPARAM wp, LPARAM lp) const {
    if (!m_tooltip.GetSafeHwnd()) return;
    MSG message{};
    message.hwnd = m_hWnd;
    message.message = msg;
    message.wParam = wp;
    message.lParam = lp;
    message.time = 0;
    message.pt = POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    m_tooltip.RelayEvent(message);
}

void CSkinButton::DrawItem(const DRAWITEMSTRUCT& item) {
    // While the left button is held the pushed look follows the pointer; a
    // change of the pushed state asks for another drawing.
    if (m_mouseDown && ::GetCapture() == m_hWnd) {
        const bool under = IsUnderCursor();
        if (under != IsPushed()) {
            SetPushed(under);
            return;
        }
    }
    HDC dc = item.hDC;
    const RECT& rect = item.rcItem;
    const std::wstring caption = GetWindowText();
    RECT text = rect;
    text.left += m_focusInset + 2;
    text.right -= m_focusInset + 2;
    ::SetBkMode(dc, TRANSPARENT);

    if (item.itemState & ODS_DISABLED) {
        if (m_disabled)
            DrawStateBitmap(dc, rect, m_disabled);
        else
            FillFace(dc, rect);
        RECT edge = rect;
        if (m_border) ::DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT);
        // Engraved caption: a highlight with the grey text one pixel up-left of it.
        if (m_checked) ::OffsetRect(&text, 1, 1);
        ::SetTextColor(dc, ::GetSysColor(COLOR_3DHILIGHT));
        DrawCaption(dc, caption, text);
        ::OffsetRect(&text, -1, -1);
        ::SetTextColor(dc, ::GetSysColor(COLOR_GRAYTEXT));
        DrawCaption(dc, caption, text);
        return;
    }

    RECT edge = rect;
    if ((item.itemState & ODS_SELECTED) || m_checked) {
        if (m_pressed)
            DrawStateBitmap(dc, rect, m_pressed);
        else
            FillFace(dc, rect);
        ::OffsetRect(&text, 1, 1);
        if (m_border) ::DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);
    } else {
        if (!m_normal)
            FillFace(dc, rect);
        else if (m_hover && m_hoverImage)
            DrawStateBitmap(dc, rect, m_hoverImage);
        else if ((item.itemState & ODS_FOCUS) && m_focusImage)
            DrawStateBitmap(dc, rect, m_focusImage);
        else
            DrawStateBitmap(dc, rect, m_normal);
        if (m_border) ::DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT);
    }
    if ((item.itemState & ODS_FOCUS) && m_focusInset > 0) {
        RECT focus = rect;
        ::InflateRect(&focus, -m_focusInset, -m_focusInset);
        ::DrawFocusRect(dc, &focus);
    }
    ::SetTextColor(dc, m_textColour);
    DrawCaption(dc, caption, text);
}

void CSkinButton::DrawCaption(HDC dc, const std::wstring& caption, RECT rect) const {
    ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &rect,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void CSkinButton::DrawStateBitmap(HDC dc, const RECT& rect, const CBitmap& bitmap) const {
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    const SIZE size = bitmap.GetSize();
    CDC image;
    if (!image.CreateCompatibleDC(dc)) return;
    CSelectObject selectImage(image.get(), bitmap.get());

    if (m_drawMode == kTiled) {
        for (int y = 0; y < h && size.cy > 0; y += size.cy)
            for (int x = 0; x < w && size.cx > 0; x += size.cx)
                ::BitBlt(dc, rect.left + x, rect.top + y, std::min<int>(size.cx, w - x),
                         std::min<int>(size.cy, h - y), image.get(), 0, 0, SRCCOPY);
        return;
    }
    // Places a picture over the w x h area at x, y as the draw mode says.
    auto place = [&](HDC target, int x, int y, HDC source, SIZE sourceSize, DWORD rop) {
        if (m_drawMode == kStretched)
            ::StretchBlt(target, x, y, w, h, source, 0, 0, sourceSize.cx, sourceSize.cy, rop);
        else
            ::BitBlt(target, x, y, w, h, source, 0, 0, rop);
    };
    if (!m_mask) {
        place(dc, rect.left, rect.top, image.get(), size, SRCCOPY);
        return;
    }
    // ((shown XOR image) AND mask) XOR image: white mask pixels keep what is
    // shown, black ones take the image.
    CDC work, mask;
    CBitmap workBitmap;
    if (!work.CreateCompatibleDC(dc) || !mask.CreateCompatibleDC(dc) ||
        !workBitmap.CreateCompatibleBitmap(dc, w, h))
        return;
    CSelectObject selectWork(work.get(), workBitmap.get());
    CSelectObject selectMask(mask.get(), m_mask.get());
    ::BitBlt(work.get(), 0, 0, w, h, dc, rect.left, rect.top, SRCCOPY);
    place(work.get(), 0, 0, image.get(), size, SRCINVERT);
    place(work.get(), 0, 0, mask.get(), m_mask.GetSize(), SRCAND);
    place(work.get(), 0, 0, image.get(), size, SRCINVERT);
    ::BitBlt(dc, rect.left, rect.top, w, h, work.get(), 0, 0, SRCCOPY);
}
