#include "skin_test_support.h"

void PumpMessages() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

Surface::Surface(int width, int height) : m_width(width), m_height(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_bitmap.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    m_bits = static_cast<uint32_t*>(bits);
    m_dc.CreateCompatibleDC(nullptr);
    ::SelectObject(m_dc.get(), m_bitmap.get());
}

HBITMAP Surface::Copy() const {
    ::GdiFlush();
    CClientDC screen(nullptr);
    HBITMAP copy = ::CreateCompatibleBitmap(screen.get(), m_width, m_height);
    CDC target;
    target.CreateCompatibleDC(screen.get());
    CSelectObject select(target.get(), copy);
    ::BitBlt(target.get(), 0, 0, m_width, m_height, m_dc.get(), 0, 0, SRCCOPY);
    return copy;
}

uint32_t PixelOf(HWND window, int x, int y) {
    ::UpdateWindow(window);
    ::GdiFlush();
    CClientDC dc(window);
    const COLORREF c = ::GetPixel(dc.get(), x, y);
    return Rgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

BOOL TestDialog::OnInitDialog() {
    editBrush.CreateSolidBrush(RGB(1, 2, 3));
    return CDialog::OnInitDialog();
}

void TestDialog::DoDataExchange(CDataExchange& dx) {
    for (int i = 0; i < 4; ++i) DDX_Control(dx, IDC_TEST_RADIO1 + i, radios[i]);
    DDX_Control(dx, IDC_TEST_CHECK, check);
    DDX_Control(dx, IDC_TEST_STRIP, strip);
    DDX_Control(dx, IDC_TEST_SHAPED, shaped);
    DDX_Control(dx, IDC_TEST_LIST, list);
    DDX_Text(dx, IDC_TEST_EDIT, text);
    DDX_Check(dx, IDC_TEST_CHECK, ticked);
}

bool TestDialog::OnCommand(WORD id, WORD code, HWND) {
    if (code == BN_CLICKED) ++clicks[id];
    return false;
}

HBRUSH TestDialog::OnCtlColor(HDC, HWND, UINT msg) {
    return msg == WM_CTLCOLOREDIT ? editBrush.get() : nullptr;
}

LRESULT TestDialog::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_ERASEBKGND) {
        CBrush brush;
        brush.CreateSolidBrush(kBackground);
        const RECT client = GetClientRect();
        ::FillRect(reinterpret_cast<HDC>(wp), &client, brush.get());
        return TRUE;
    }
    return CDialog::WindowProc(msg, wp, lp);
}

POINT CentreOf(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

void MovePointer(HWND window, POINT screen) {
    ::SetCursorPos(screen.x, screen.y);
    ::ScreenToClient(window, &screen);
    ::SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(screen.x, screen.y));
}

void Click(HWND control) {
    const POINT centre = CentreOf(control);
    MovePointer(control, centre);
    POINT client = centre;
    ::ScreenToClient(control, &client);
    ::SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.x, client.y));
    ::SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
    PumpMessages();
}
