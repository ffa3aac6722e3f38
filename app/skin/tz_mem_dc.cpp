#include "skin/tz_mem_dc.h"

CTzMemDC::CTzMemDC(const RECT& rect, HDC target)
    : m_bitmap(std::make_unique<CBitmap>()), m_target(target), m_rect(rect) {
    if (!CreateCompatibleDC(target)) return;
    m_bitmap->CreateCompatibleBitmap(target, rect.right - rect.left, rect.bottom - rect.top);
    m_previousBitmap = ::SelectObject(get(), m_bitmap->get());
    ::SetWindowOrgEx(get(), rect.left, rect.top, nullptr);
}

CTzMemDC::~CTzMemDC() {
    if (!get()) return;
    ::BitBlt(m_target, m_rect.left, m_rect.top, m_rect.right - m_rect.left,
             m_rect.bottom - m_rect.top, get(), m_rect.left, m_rect.top, SRCCOPY);
    ::SelectObject(get(), m_previousBitmap);
}
