// Necessary conditions derived from the compiled tree, so that a search skips
// attempts that cannot succeed: where a match may start, and where what
// follows a greedy quantifier may begin. They never change a search's answer:
// what they skip would fail in full too.
#pragma once

#include <cstddef>
#include <cstdint>

#include "beginning_set.h"
#include "pattern_buffer.h"
#include "pattern_elements.h"

namespace qx::pattern {

template <class CHART>
class CSearchFilterT {
  public:
    // Analyses the tree of a left-to-right pattern; leaves the filter off when
    // a match could be empty or the first unit cannot be told.
    void Analyse(const ElxInterface* top);
    void Reset();

    bool Active() const { return m_bActive; }
    // The first position from `pos` on where a match may start, or -1.
    int NextCandidate(const CHART* text, int length, int pos) const;

    bool m_bActive = false;
    // Units that may begin a match: bits for the units below 256, and whether
    // any unit from 256 up may.
    unsigned long long m_first[4] = {0, 0, 0, 0};
    bool m_bHighUnits = false;
    // A case-sensitive literal that every match holds at a fixed distance from
    // its start (none when empty); a view of the compiled string element.
    CBufferRefT<CHART> m_literal;
    int m_nLiteralOffset = 0;
    // The literal's unit that text has least often, which the search looks
    // for first.
    int m_nRareIndex = 0;
    // Without one such literal: literals of which every match holds one at
    // its distance from the start (the branches of an alternation), or none.
    struct Alternative {
        CBufferRefT<CHART> literal;
        int offset;
    };
    CBufferT<Alternative> m_alternatives;
    // With every branch's literal at the same distance: where one of them
    // may begin (unusable when one is shorter than two units).
    bool m_bSharedOffset = false;
    BeginningSet m_beginnings;
};

// Gives every greedy quantifier over single units, left to right, the units
// that can begin what follows it in its sequence (see CGreedyElxT).
template <class CHART>
void AnalyseFollowers(const CBufferT<ElxInterface*>& elements);

}  // namespace qx::pattern
