// Elements that consume at most one fixed piece of text and call no other
// element: the empty element, anchors, literal strings, sets and POSIX
// classes.
#include "pattern_elements.h"
#include "pattern_text.h"

namespace qx::pattern {

template <int x>
int CEmptyElxT<x>::MatchFirst(CMatchContext*) const {
    return 1;
}

template <int x>
int CEmptyElxT<x>::MatchAgain(CMatchContext*) const {
    return 0;
}

template <int x>
int CGlobalElxT<x>::MatchFirst(CMatchContext* pContext) const {
    return pContext->m_nCurrentPos == pContext->m_nBeginPos;
}

template <int x>
int CGlobalElxT<x>::MatchAgain(CMatchContext*) const {
    return 0;
}

template <class CHART>
CStringElxT<CHART>::CStringElxT(const CHART* fixed, int length, int brightleft, int byignorecase)
    : m_szPattern(fixed, length), m_brightleft(brightleft), m_byignorecase(byignorecase) {}

template <class CHART>
int CStringElxT<CHART>::MatchFirst(CMatchContext* pContext) const {
    const int count = m_szPattern.GetSize();
    const int pos = pContext->m_nCurrentPos;
    const CHART* text = TextOf<CHART>(pContext);
    if (!m_brightleft) {
        if (pContext->m_pMatchStringLength - pos < count) return 0;
        if (!SameUnits(m_szPattern.GetBuffer(), text + pos, count, m_byignorecase != 0)) return 0;
        pContext->m_nCurrentPos = pos + count;
    } else {
        if (pos < count) return 0;
        if (!SameUnits(m_szPattern.GetBuffer(), text + pos - count, count, m_byignorecase != 0))
            return 0;
        pContext->m_nCurrentPos = pos - count;
    }
    return 1;
}

template <class CHART>
int CStringElxT<CHART>::MatchAgain(CMatchContext* pContext) const {
    const int count = m_szPattern.GetSize();
    pContext->m_nCurrentPos += m_brightleft ? count : -count;
    return 0;
}

template <class CHART>
CRangeElxT<CHART>::CRangeElxT(int brightleft, int byinclude)
    : m_brightleft(brightleft), m_byinclude(byinclude) {}

template <class CHART>
bool CRangeElxT<CHART>::IsListed(CHART unit) const {
    for (int i = 0; i + 1 < m_ranges.GetSize(); i += 2)
        if (m_ranges[i] <= unit && unit <= m_ranges[i + 1]) return true;
    for (int i = 0; i < m_chars.GetSize(); ++i)
        if (m_chars[i] == unit) return true;
    return false;
}

template <class CHART>
bool CRangeElxT<CHART>::EmbeddedMember(CHART unit) const {
    for (int i = 0; i < m_embeds.GetSize(); ++i) {
        const ElxInterface* embed = m_embeds[i];
        if (auto set = dynamic_cast<const CRangeElxT<CHART>*>(embed)) {
            if (set->Matches(unit)) return true;
        } else if (auto posix = dynamic_cast<const CPosixElxT<CHART>*>(embed)) {
            if (posix->Matches(unit)) return true;
        }
    }
    return false;
}

template <class CHART>
bool CRangeElxT<CHART>::Matches(CHART unit) const {
    if (unit < 256 && m_bAsciiKnown) return (m_asciiMembers[unit >> 6] >> (unit & 63)) & 1;
    return (IsListed(unit) || EmbeddedMember(unit)) == (m_byinclude != 0);
}

template <class CHART>
bool CRangeElxT<CHART>::EmbeddedMatch(CMatchContext* pContext) const {
    const int pos = pContext->m_nCurrentPos;
    for (int i = 0; i < m_embeds.GetSize(); ++i) {
        if (m_embeds[i]->MatchFirst(pContext)) {
            pContext->m_nCurrentPos = pos;
            return true;
        }
    }
    return false;
}

template <class CHART>
void CRangeElxT<CHART>::WidenForNoCase() {
    constexpr int kCaseGap = 'a' - 'A';
    const int rangeEnd = m_ranges.GetSize();
    for (int i = 0; i + 1 < rangeEnd; i += 2) {
        const CHART low = m_ranges[i], high = m_ranges[i + 1];
        const CHART upperLow = low > CHART('A') ? low : CHART('A');
        const CHART upperHigh = high < CHART('Z') ? high : CHART('Z');
        if (upperLow <= upperHigh) {
            m_ranges.Append(CHART(upperLow + kCaseGap));
            m_ranges.Append(CHART(upperHigh + kCaseGap));
        }
        const CHART lowerLow = low > CHART('a') ? low : CHART('a');
        const CHART lowerHigh = high < CHART('z') ? high : CHART('z');
        if (lowerLow <= lowerHigh) {
            m_ranges.Append(CHART(lowerLow - kCaseGap));
            m_ranges.Append(CHART(lowerHigh - kCaseGap));
        }
    }
    const int charEnd = m_chars.GetSize();
    for (int i = 0; i < charEnd; ++i) {
        const CHART unit = m_chars[i];
        CHART other = unit;
        if (unit >= CHART('A') && unit <= CHART('Z')) other = CHART(unit + kCaseGap);
        if (unit >= CHART('a') && unit <= CHART('z')) other = CHART(unit - kCaseGap);
        if (other == unit) continue;
        bool present = false;
        for (int j = 0; j < m_chars.GetSize() && !present; ++j) present = m_chars[j] == other;
        if (!present) m_chars.Append(other);
    }
}

template <class CHART>
void CRangeElxT<CHART>::Finish() {
    for (auto& word : m_asciiMembers) word = 0;
    auto add = [this](unsigned unit) { m_asciiMembers[unit >> 6] |= 1ULL << (unit & 63); };
    for (int i = 0; i + 1 < m_ranges.GetSize(); i += 2) {
        const unsigned high = m_ranges[i + 1] < 255 ? unsigned(m_ranges[i + 1]) : 255u;
        for (unsigned unit = m_ranges[i]; unit <= high; ++unit) add(unit);
    }
    for (int i = 0; i < m_chars.GetSize(); ++i)
        if (m_chars[i] < 256) add(m_chars[i]);
    m_bAsciiKnown = true;
    for (int i = 0; i < m_embeds.GetSize(); ++i) {
        const ElxInterface* embed = m_embeds[i];
        if (auto set = dynamic_cast<const CRangeElxT<CHART>*>(embed); set && set->m_bAsciiKnown) {
            for (int word = 0; word < 4; ++word) m_asciiMembers[word] |= set->m_asciiMembers[word];
        } else if (auto posix = dynamic_cast<const CPosixElxT<CHART>*>(embed)) {
            for (unsigned unit = 0; unit < 256; ++unit)
                if (posix->Matches(CHART(unit))) add(unit);
        } else {
            m_bAsciiKnown = false;
        }
    }
    if (!m_byinclude)
        for (auto& word : m_asciiMembers) word = ~word;
}

template <class CHART>
int CRangeElxT<CHART>::MatchFirst(CMatchContext* pContext) const {
    CHART unit;
    if (!NextUnit(pContext, m_brightleft != 0, unit)) return 0;
    bool matched;
    if (unit < 256 && m_bAsciiKnown) {
        matched = (m_asciiMembers[unit >> 6] >> (unit & 63)) & 1;
    } else {
        const bool member = IsListed(unit) || EmbeddedMatch(pContext);
        matched = member == (m_byinclude != 0);
    }
    if (!matched) return 0;
    pContext->m_nCurrentPos += m_brightleft ? -1 : 1;
    return 1;
}

template <class CHART>
int CRangeElxT<CHART>::MatchAgain(CMatchContext* pContext) const {
    pContext->m_nCurrentPos += m_brightleft ? 1 : -1;
    return 0;
}

template <class CHART>
bool CPosixElxT<CHART>::Matches(CHART unit) const {
    if (m_posixfun == nullptr) return false;
    const bool member = unit < 128 && m_posixfun(static_cast<int>(unit));
    return member == (m_byes != 0);
}

template <class CHART>
int CPosixElxT<CHART>::MatchFirst(CMatchContext* pContext) const {
    CHART unit;
    if (!NextUnit(pContext, m_brightleft != 0, unit)) return 0;
    if (!Matches(unit)) return 0;
    pContext->m_nCurrentPos += m_brightleft ? -1 : 1;
    return 1;
}

template <class CHART>
int CPosixElxT<CHART>::MatchAgain(CMatchContext* pContext) const {
    pContext->m_nCurrentPos += m_brightleft ? 1 : -1;
    return 0;
}

template <class CHART>
bool CBoundaryElxT<CHART>::Test(const CMatchContext* pContext) const {
    return BoundaryHolds(m_nType, TextOf<CHART>(pContext), pContext->m_pMatchStringLength,
                         pContext->m_nCurrentPos);
}

template <class CHART>
int CBoundaryElxT<CHART>::MatchFirst(CMatchContext* pContext) const {
    return Test(pContext) == (m_byes != 0);
}

template <class CHART>
int CBoundaryElxT<CHART>::MatchAgain(CMatchContext*) const {
    return 0;
}

template class CEmptyElxT<0>;
template class CGlobalElxT<0>;
template class CStringElxT<char16_t>;
template class CRangeElxT<char16_t>;
template class CPosixElxT<char16_t>;
template class CBoundaryElxT<char16_t>;

}  // namespace qx::pattern
