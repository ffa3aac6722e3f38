// The answers of a search. CMatchResult is empty when nothing matched;
// otherwise 1, the highest group number H, then start and end of every group
// 0..H (the smaller position first, -1 and -1 for a group that took no part).
#pragma once

#include "pattern_buffer.h"

namespace qx::pattern {

// Whether a text holds a match. kStopped: the search reached one of the
// engine's bounds before it could tell, so the text may hold one all the same.
enum class MatchOutcome { kNoMatch, kMatch, kStopped };

class CMatchResult {
  public:
    CMatchResult() = default;

    bool IsMatched() const { return m_result.GetSize() > 0 && m_result[0] != 0; }
    int MaxGroupNumber() const { return m_result.GetSize() > 1 ? m_result[1] : -1; }
    int GetGroupStart(int group) const { return Slot(2 + group * 2); }
    int GetGroupEnd(int group) const { return Slot(3 + group * 2); }
    int GetStart() const { return GetGroupStart(0); }
    int GetEnd() const { return GetGroupEnd(0); }

    const CBufferT<int>& Values() const { return m_result; }
    CBufferT<int>& Values() { return m_result; }

  private:
    int Slot(int index) const {
        return index >= 2 && index < m_result.GetSize() ? m_result[index] : -1;
    }

    CBufferT<int> m_result;
};

}  // namespace qx::pattern
