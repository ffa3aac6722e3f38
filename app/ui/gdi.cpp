#include "ui/gdi.h"

bool CBitmap::LoadBitmap(UINT id) {
    reset(id ? ::LoadBitmapW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id)) : nullptr);
    return get() != nullptr;
}

bool CBitmap::CreateCompatibleBitmap(HDC dc, int width, int height) {
    reset(::CreateCompatibleBitmap(dc, width, height));
    return get() != nullptr;
}

SIZE CBitmap::GetSize() const {
    BITMAP info{};
    if (!get() || !::GetObjectW(get(), sizeof info, &info)) return SIZE{0, 0};
    return SIZE{info.bmWidth, info.bmHeight};
}

bool CBrush::CreateSolidBrush(COLORREF colour) {
    reset(::CreateSolidBrush(colour));
    return get() != nullptr;
}

CDC::~CDC() {
    if (m_hdc) ::DeleteDC(m_hdc);
}

bool CDC::CreateCompatibleDC(HDC dc) {
    if (m_hdc) ::DeleteDC(m_hdc);
    m_hdc = ::CreateCompatibleDC(dc);
    return m_hdc != nullptr;
}
