// A bitmap that draws any part of itself into any rectangle, and draws itself
// as a window skin in nine parts: fixed corners, stretched edges and centre.
#pragma once

#include "ui/gdi.h"

// Slice sizes of a nine-part skin, in pixels of the bitmap.
struct SkinSlices {
    int leftWidth = 0;        // top-left corner, left and right edges
    int topHeight = 0;        // whole top band
    int topRightWidth = 0;    // top-right corner
    int topRightHeight = 0;   // top-right corner
    int bottomSideWidth = 0;  // both bottom corners
    int bottomHeight = 0;     // whole bottom band
};

class CBitmapEx : public CBitmap {
  public:
    // Draws the source rectangle into the destination rectangle, stretched;
    // a source width or height of 0 copies a destination-sized block
    // unscaled from the source position. False, drawing nothing, without a
    // device context or a bitmap.
    bool DrawPart(HDC dc, int x, int y, int width, int height, int sourceX, int sourceY,
                  int sourceWidth, int sourceHeight) const;

    void SetSlices(const SkinSlices& slices) { m_slices = slices; }
    const SkinSlices& Slices() const { return m_slices; }

    // Covers a width x height area from 0, 0: corners keep their size, the top
    // and bottom edges stretch horizontally, the side edges vertically and the
    // centre both ways. The middle band uses leftWidth for both side edges.
    void DrawNineParts(HDC dc, int width, int height) const;

  private:
    SkinSlices m_slices;
};
