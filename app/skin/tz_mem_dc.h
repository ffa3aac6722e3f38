// An off-screen drawing surface for one paint: everything drawn on it reaches
// the target in a single copy when the surface is destroyed, so nothing
// flickers. Drawing coordinates are the target's.
#pragma once

#include <memory>

#include "ui/gdi.h"

class CTzMemDC : public CDC {
  public:
    CTzMemDC(const RECT& rect, HDC target);
    ~CTzMemDC();

  private:
    std::unique_ptr<CBitmap> m_bitmap;
    HGDIOBJ m_previousBitmap = nullptr;
    HDC m_target;
    RECT m_rect;
};
