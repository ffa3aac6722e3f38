// The linear search: a second way to tell whether a text holds a match, in
// time linear in the text's length whatever the text holds. The compiled tree
// is turned into steps of an automaton that is run over the text once with
// every way of matching kept alive side by side, so no text can make it slow
// down or give up, where the backtracker may take quadratic or exponential
// time and stop at its work bound.
//
// It only answers whether some match starts at or after a position, and it
// takes only trees on which its answer is the backtracker's: no
// backreferences, recursions, conditions or possessive quantifiers; atomic
// groups and greedy quantifiers only over elements of one fixed width (over
// others the backtracker tries fewer ways than exist: a greedy quantifier
// gives back its last iteration's other ways only); lookaround only over
// elements of bounded width, and tried anew at each position they are asked
// about. The program's size and its cost per unit of text are bounded too.
#pragma once

#include <cstdint>
#include <vector>

#include "pattern_elements.h"
#include "pattern_filter.h"

namespace qx::pattern {

template <class CHART>
struct LinearStep {
    enum Kind : std::uint8_t {
        kUnit,      // consumes `unit` or `other` (its other case)
        kSet,       // consumes a unit of set `arg`
        kFork,      // goes on at `next` and at `arg`
        kBoundary,  // goes on when boundary `arg` holds (`yes`) or does not
        kBegin,     // goes on at the position where the search began (\G)
        kLook,      // goes on when lookaround `arg` holds
        kMatch,     // the end of a match
        kFail,      // goes nowhere
    };
    Kind kind = kFail;
    bool yes = true;
    CHART unit = 0;
    CHART other = 0;
    int next = -1;
    int arg = 0;
};

template <class CHART>
struct LinearSet {
    enum High : std::uint8_t { kNoHigh, kAllHigh, kAskHigh };
    unsigned long long low[4] = {0, 0, 0, 0};  // the answers for units below 256
    High high = kNoHigh;                       // and for the rest
    const CRangeElxT<CHART>* range = nullptr;  // the element asked (kAskHigh)
    const CPosixElxT<CHART>* posix = nullptr;

    bool Matches(CHART unit) const {
        if (unit < 256) return ((low[unit >> 6] >> (unit & 63)) & 1) != 0;
        if (high != kAskHigh) return high == kAllHigh;
        return range != nullptr ? range->Matches(unit) : posix->Matches(unit);
    }
};

struct LinearLook {
    int start = 0;          // first step of its element, which ends in a kMatch
    int states = 0;         // steps of its own, for sizing the run's lists
    int span = 0;           // the most units its element can take
    int memo = 1;           // answers remembered per run, a power of two
    std::int64_t cost = 0;  // the most steps one answer takes, nested ones included
    bool ahead = true;      // lookahead; else lookbehind, run right to left
    bool positive = true;
};

template <class CHART>
class CLinearProgramT {
  public:
    // Compiles the tree of a pattern searched left to right. False, and no
    // program, when the tree holds something the linear search cannot take or
    // the program would be too large or too costly per unit of text.
    bool Build(const ElxInterface* top);
    void Reset();
    bool Usable() const { return m_nStart >= 0; }

    // Whether a match starts at a position from `from` to `length`. The
    // filter skips positions where none can; `work` receives the steps
    // taken, at most CostPerUnit() for each unit of text and one more.
    bool Search(const CHART* text, int length, int from, const CSearchFilterT<CHART>& filter,
                std::int64_t& work) const;
    std::int64_t CostPerUnit() const { return m_nCostPerUnit; }

    std::vector<LinearStep<CHART>> m_steps;
    std::vector<LinearSet<CHART>> m_sets;
    std::vector<LinearLook> m_looks;
    int m_nStart = -1;
    int m_nStates = 0;  // steps of the pattern's own, outside lookaround
    std::int64_t m_nCostPerUnit = 0;
};

}  // namespace qx::pattern
