// The outline of a button taken from a mask picture: every pixel that is not
// pure white belongs to the button.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// One rectangle, one pixel high, per maximal run of non-white pixels in each
// row of a top-down picture of 0x00RRGGBB pixels (the high byte is ignored).
std::vector<RECT> MaskRuns(const std::vector<uint32_t>& pixels, int width, int height);

// The union of the runs of a mask bitmap as a region (empty when the mask has
// no non-white pixel), or nullptr when the bitmap cannot be read.
HRGN OutlineFromMask(HBITMAP mask);
