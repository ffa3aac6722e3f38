// POSIX character classes ([:alpha:] and the like), by ASCII code: units
// above 127 belong to no class.
#pragma once

#include "pattern_elements.h"

namespace qx::pattern {

// `name` is the text after the colon and the optional caret, e.g. "digit:]";
// it is compared by its first 6 units ("xdigit:" by 7). None when unknown.
PosixClassFunction FindPosixClass(const char* name);

}  // namespace qx::pattern
