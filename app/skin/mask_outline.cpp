#include "skin/mask_outline.h"

#include <algorithm>

namespace {

bool IsWhite(uint32_t pixel) {
    return (pixel & 0xFFFFFF) == 0xFFFFFF;
}

}  // namespace

std::vector<RECT> MaskRuns(const std::vector<uint32_t>& pixels, int width, int height) {
    std::vector<RECT> runs;
    for (int y = 0; y < height; ++y) {
        const uint32_t* row = pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
        for (int x = 0; x < width;) {
            if (IsWhite(row[x])) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < width && !IsWhite(row[x])) ++x;
            runs.push_back(RECT{start, y, x, y + 1});
        }
    }
    return runs;
}

HRGN OutlineFromMask(HBITMAP mask) {
    BITMAP info{};
    if (!mask || !::GetObjectW(mask, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0)
        return nullptr;
    const int width = info.bmWidth, height = info.bmHeight;
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height;  // top-down rows
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    HDC screen = ::GetDC(nullptr);
    const int rows = ::GetDIBits(screen, mask, 0, static_cast<UINT>(height), pixels.data(), &format,
                                 DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    if (rows != height) return nullptr;

    const std::vector<RECT> runs = MaskRuns(pixels, width, height);
    std::vector<BYTE> data(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
    auto* region = reinterpret_cast<RGNDATA*>(data.data());
    region->rdh.dwSize = sizeof(RGNDATAHEADER);
    region->rdh.iType = RDH_RECTANGLES;
    region->rdh.nCount = static_cast<DWORD>(runs.size());
    region->rdh.nRgnSize = static_cast<DWORD>(runs.size() * sizeof(RECT));
    region->rdh.rcBound = RECT{0, 0, width, height};
    std::copy(runs.begin(), runs.end(), reinterpret_cast<RECT*>(region->Buffer));
    return ::ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), region);
}
