// Small helpers the elements share for reading the searched text.
#pragma once

#include "pattern_context.h"
#include "pattern_elements.h"

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

// Whether a boundary of `kind` (a BoundaryKind) lies at `pos` in the `length`
// units of `text`. Line ends are LF, CR LF and a lone CR.
template <class CHART>
inline bool BoundaryHolds(int kind, const CHART* text, int length, int pos) {
    constexpr CHART kLf = CHART('\n'), kCr = CHART('\r');
    const CHART prev = pos > 0 && pos <= length ? text[pos - 1] : CHART(0);
    const CHART cur = pos >= 0 && pos < length ? text[pos] : CHART(0);
    switch (kind) {
        case BOUNDARY_FILE_BEGIN:
            return pos <= 0;
        case BOUNDARY_FILE_END:
            return pos >= length;
        case BOUNDARY_FILE_END_N:
            if (pos >= length) return true;
            if (length >= 1 && text[length - 1] == kLf && pos == length - 1) return true;
            return length >= 2 && text[length - 2] == kCr && text[length - 1] == kLf &&
                   pos == length - 2;
        case BOUNDARY_LINE_BEGIN:
            return pos <= 0 || prev == kLf || (prev == kCr && cur != kLf);
        case BOUNDARY_LINE_END:
            return pos >= length || cur == kCr || (cur == kLf && prev != kCr);
        case BOUNDARY_WORD_EDGE:
            return IsWordUnit(prev) != IsWordUnit(cur);
        default:
            return false;
    }
}

}  // namespace qx::pattern
