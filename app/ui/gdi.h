// Owning wrappers of GDI objects and device contexts: every handle is released
// exactly once, by the object that made it.
#pragma once

#include <windows.h>

#include <utility>

// A GDI object (bitmap, brush, region, font) owned by this wrapper.
template <class Handle>
class CGdiObject {
  public:
    CGdiObject() = default;
    explicit CGdiObject(Handle handle) : m_handle(handle) {}
    ~CGdiObject() { reset(); }
    CGdiObject(CGdiObject&& other) noexcept : m_handle(other.release()) {}
    CGdiObject& operator=(CGdiObject&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    Handle get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    void reset(Handle handle = nullptr) {
        if (m_handle) ::DeleteObject(m_handle);
        m_handle = handle;
    }
    Handle release() { return std::exchange(m_handle, nullptr); }

  private:
    Handle m_handle = nullptr;
};

class CBitmap : public CGdiObject<HBITMAP> {
  public:
    using CGdiObject::CGdiObject;

    // Loads bitmap resource id of the program; id 0 or a missing resource
    // leaves the object empty and answers false.
    bool LoadBitmap(UINT id);
    bool CreateCompatibleBitmap(HDC dc, int width, int height);
    SIZE GetSize() const;
};

class CBrush : public CGdiObject<HBRUSH> {
  public:
    bool CreateSolidBrush(COLORREF colour);
};

// A memory device context owned by this object.
class CDC {
  public:
    CDC() = default;
    ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    bool CreateCompatibleDC(HDC dc);
    HDC get() const { return m_hdc; }

  private:
    HDC m_hdc = nullptr;
};

// The device context of one WM_PAINT.
class CPaintDC {
  public:
    explicit CPaintDC(HWND hwnd) : m_hwnd(hwnd) { m_hdc = ::BeginPaint(hwnd, &m_paint); }
    ~CPaintDC() { ::EndPaint(m_hwnd, &m_paint); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    HDC get() const { return m_hdc; }

  private:
    HWND m_hwnd;
    PAINTSTRUCT m_paint{};
    HDC m_hdc;
};

// The client-area (or, for nullptr, screen) device context of a window.
class CClientDC {
  public:
    explicit CClientDC(HWND hwnd) : m_hwnd(hwnd), m_hdc(::GetDC(hwnd)) {}
    ~CClientDC() { ::ReleaseDC(m_hwnd, m_hdc); }
    CClientDC(const CClientDC&) = delete;
    CClientDC& operator=(const CClientDC&) = delete;
    HDC get() const { return m_hdc; }

  private:
    HWND m_hwnd;
    HDC m_hdc;
};

// Selects an object into a device context for the lifetime of the guard.
class CSelectObject {
  public:
    CSelectObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(::SelectObject(dc, object)) {}
    ~CSelectObject() { ::SelectObject(m_dc, m_previous); }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;

  private:
    HDC m_dc;
    HGDIOBJ m_previous;
};
