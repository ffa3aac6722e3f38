// Small helpers the elements share for reading the searched text.
#pragma once

#include "pattern_context.h"

namespace qx::pattern {

template <class CHART>
inline const CHART* TextOf(const CMatchContext* pContext) {
    return static_cast<const CHART*>(pContext->m_pMatchString);
}

// The unit a single-unit element would consume next: the one at the current
// position, or the one before it when matching right to left. False at the
// edge of the text.
template <class CHART>
inline bool NextUnit(const CMatchContext* pContext, bool rightToLeft, CHART& unit) {
    const int pos = pContext->m_nCurrentPos;
    if (rightToLeft ? pos <= 0 : pos >= pContext->m_pMatchStringLength) return false;
    unit = TextOf<CHART>(pContext)[rightToLeft ? pos - 1 : pos];
    return true;
}

// Upper-cases a-z only; the no-case comparison of strings, sets and
// backreferences is ASCII-only.
template <class CHART>
inline CHART UpperAscii(CHART unit) {
    return unit >= CHART('a') && unit <= CHART('z') ? CHART(unit - ('a' - 'A')) : unit;
}

template <class CHART>
inline bool SameUnits(const CHART* a, const CHART* b, int count, bool nocase) {
    if (!nocase) {
        for (int i = 0; i < count; ++i)
            if (a[i] != b[i]) return false;
        return true;
    }
    for (int i = 0; i < count; ++i)
        if (a[i] != b[i] && UpperAscii(a[i]) != UpperAscii(b[i])) return false;
    return true;
}

template <class CHART>
inline bool IsWordUnit(CHART unit) {
    return (unit >= CHART('a') && unit <= CHART('z')) ||
           (unit >= CHART('A') && unit <= CHART('Z')) ||
           (unit >= CHART('0') && unit <= CHART('9')) || unit == CHART('_');
}

}  // namespace qx::pattern
