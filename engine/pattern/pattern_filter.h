// A necessary condition for a match to start at a position, derived from the
// compiled tree, so that a left-to-right search skips positions where no
// attempt can succeed. It never changes a search's answer: a position it
// rejects is one where the full attempt would fail too.
#pragma once

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
    // its start (none when empty).
    CBufferT<CHART> m_literal;
    int m_nLiteralOffset = 0;
};

}  // namespace qx::pattern
