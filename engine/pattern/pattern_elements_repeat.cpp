// Quantifiers. Iterations are driven in loops, not by recursion, so the
// number of iterations never deepens the call stack; each iteration's own
// backtracking data stays on the context's stack in iteration order.
#include "pattern_elements.h"

namespace qx::pattern {

// Iterations 1..done have matched; matches the rest up to m_nfixed, asking
// earlier iterations for other ways when one fails.
template <int x>
int CRepeatElxT<x>::MatchForward(CMatchContext* pContext, int done) const {
    while (done < m_nfixed) {
        if (!pContext->Tick()) return 0;
        if (m_pelx->MatchFirst(pContext)) {
            ++done;
            continue;
        }
        for (;;) {
            if (done == 0) return 0;
            if (!pContext->Tick()) return 0;
            if (m_pelx->MatchAgain(pContext)) break;
            --done;
        }
    }
    return 1;
}

template <int x>
int CRepeatElxT<x>::MatchFixed(CMatchContext* pContext) const {
    return m_nfixed <= 0 || MatchForward(pContext, 0);
}

template <int x>
int CRepeatElxT<x>::MatchFixedAgain(CMatchContext* pContext) const {
    if (m_nfixed <= 0) return 0;
    int done = m_nfixed;
    for (;;) {
        if (!pContext->Tick()) return 0;
        if (m_pelx->MatchAgain(pContext)) break;
        if (--done == 0) return 0;
    }
    return MatchForward(pContext, done);
}

// An iteration that matched only the empty string is asked for other ways
// until one moves; one that never moves is undone and not counted, which is
// what keeps (a*)* from looping.
template <int x>
int CRepeatElxT<x>::MatchMovingIteration(CMatchContext* pContext) const {
    const int before = pContext->m_nCurrentPos;
    if (!pContext->Tick() || !m_pelx->MatchFirst(pContext)) return 0;
    while (pContext->m_nCurrentPos == before) {
        if (!pContext->Tick() || !m_pelx->MatchAgain(pContext)) return 0;
    }
    return 1;
}

template <int x>
int CRepeatElxT<x>::MatchFirst(CMatchContext* pContext) const {
    CDepthGuard guard(pContext);
    return guard && MatchFixed(pContext);
}

template <int x>
int CRepeatElxT<x>::MatchAgain(CMatchContext* pContext) const {
    CDepthGuard guard(pContext);
    return guard && MatchFixedAgain(pContext);
}

template <int x>
int CGreedyElxT<x>::MatchVart(CMatchContext* pContext) const {
    int extra = 0;
    while (extra < m_nvart && this->MatchMovingIteration(pContext)) ++extra;
    return extra;
}

template <int x>
int CGreedyElxT<x>::MatchFirst(CMatchContext* pContext) const {
    CDepthGuard guard(pContext);
    if (!guard || !this->MatchFixed(pContext)) return 0;
    pContext->m_stack.Push(MatchVart(pContext));
    return 1;
}

template <int x>
int CGreedyElxT<x>::MatchAgain(CMatchContext* pContext) const {
    CDepthGuard guard(pContext);
    if (!guard) return 0;
    const int extra = pContext->m_stack.Pop();
    if (extra > 0) {
        if (m_bHasFollow) return GiveBackToFollower(pContext, extra);
        if (!pContext->Tick()) return 0;
        // Either the last iteration found another way, or it is gone and one
        // iteration fewer is the next way.
        pContext->m_stack.Push(this->m_pelx->MatchAgain(pContext) ? extra : extra - 1);
        return 1;
    }
    if (!this->MatchFixedAgain(pContext)) return 0;
    pContext->m_stack.Push(MatchVart(pContext));
    return 1;
}

// The iterations are single units whose MatchAgain only steps back, so
// giving back one iteration is stepping back one unit; positions where what
// follows cannot begin are passed over at once, as their attempts would fail.
template <int x>
int CGreedyElxT<x>::GiveBackToFollower(CMatchContext* pContext, int extra) const {
    const char16_t* text = static_cast<const char16_t*>(pContext->m_pMatchString);
    const int pos = pContext->m_nCurrentPos;
    int given = 1;
    for (; given < extra; ++given) {
        const char16_t unit = text[pos - given];
        if (unit < 256 ? ((m_follow[unit >> 6] >> (unit & 63)) & 1) != 0 : m_bFollowHigh) break;
    }
    if (!pContext->Spend(given)) return 0;
    pContext->m_nCurrentPos = pos - given;
    pContext->m_stack.Push(extra - given);
    return 1;
}

// Stack layout above the minimum's data: for every extra iteration its own
// data, then the position before it; the count of extra iterations on top.
template <int x>
int CReluctantElxT<x>::MatchFirst(CMatchContext* pContext) const {
    CDepthGuard guard(pContext);
    if (!guard || !this->MatchFixed(pContext)) return 0;
    pContext->m_stack.Push(0);
    return 1;
}

template <int x>
int CReluctantElxT<x>::MatchAgain(CMatchContext* pContext) const {
    CDepthGuard guard(pContext);
    if (!guard) return 0;
    CBufferT<int>& stack = pContext->m_stack;
    int extra = stack.Pop();
    if (extra < m_nvart) {
        const int before = pContext->m_nCurrentPos;
        if (this->MatchMovingIteration(pContext)) {
            stack.Push(before);
            stack.Push(extra + 1);
            return 1;
        }
        if (pContext->Aborted()) return 0;
    }
    while (extra > 0) {
        const int saved = stack.Pop();
        for (;;) {
            if (!pContext->Tick()) return 0;
            if (!this->m_pelx->MatchAgain(pContext)) break;
            if (pContext->m_nCurrentPos != saved) {
                stack.Push(saved);
                stack.Push(extra);
                return 1;
            }
        }
        --extra;
    }
    if (!this->MatchFixedAgain(pContext)) return 0;
    stack.Push(0);
    return 1;
}

template <int x>
int CPossessiveElxT<x>::MatchFirst(CMatchContext* pContext) const {
    CDepthGuard guard(pContext);
    if (!guard) return 0;
    const int pos = pContext->m_nCurrentPos;
    const int captures = pContext->m_capturestack.GetSize();
    const int stack = pContext->m_stack.GetSize();
    if (!this->MatchFixed(pContext)) return 0;
    this->MatchVart(pContext);
    pContext->m_stack.Restore(stack);
    pContext->m_stack.Push(pos);
    pContext->m_stack.Push(captures);
    return 1;
}

template <int x>
int CPossessiveElxT<x>::MatchAgain(CMatchContext* pContext) const {
    pContext->m_capturestack.Restore(pContext->m_stack.Pop());
    pContext->m_nCurrentPos = pContext->m_stack.Pop();
    return 0;
}

template class CRepeatElxT<0>;
template class CGreedyElxT<0>;
template class CReluctantElxT<0>;
template class CPossessiveElxT<0>;

}  // namespace qx::pattern
