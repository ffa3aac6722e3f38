// Elements that drive other elements or capture: sequences, alternatives,
// capture brackets and backreferences, assertions, atomic groups,
// conditions and recursions.
#include "pattern_elements.h"
#include "pattern_text.h"

namespace qx::pattern {

constexpr int kRecord = CMatchContext::kCaptureRecordSize;

template <int x>
int CListElxT<x>::WalkForward(CMatchContext* pContext, int n) const {
    const int size = m_elxlist.GetSize();
    while (n < size) {
        if (!pContext->Tick()) return 0;
        if (At(n)->MatchFirst(pContext)) {
            ++n;
            continue;
        }
        n = StepBack(pContext, n - 1);
        if (n < 0) return 0;
    }
    return 1;
}

// Asks element n, then the ones before it, for another way; returns the index
// after the element that found one, or -1.
template <int x>
int CListElxT<x>::StepBack(CMatchContext* pContext, int n) const {
    for (; n >= 0; --n) {
        if (!pContext->Tick()) return -1;
        if (At(n)->MatchAgain(pContext)) return n + 1;
    }
    return -1;
}

template <int x>
int CListElxT<x>::MatchFirst(CMatchContext* pContext) const {
    if (m_elxlist.GetSize() == 0) return 1;
    CDepthGuard guard(pContext);
    if (!guard) return 0;
    return WalkForward(pContext, 0);
}

template <int x>
int CListElxT<x>::MatchAgain(CMatchContext* pContext) const {
    if (m_elxlist.GetSize() == 0) return 0;
    CDepthGuard guard(pContext);
    if (!guard) return 0;
    const int n = StepBack(pContext, m_elxlist.GetSize() - 1);
    return n >= 0 && WalkForward(pContext, n);
}

template <int x>
int CAlternativeElxT<x>::TryFrom(CMatchContext* pContext, int first) const {
    for (int i = first; i < m_elxlist.GetSize(); ++i) {
        if (!pContext->Tick()) return 0;
        if (m_elxlist[i]->MatchFirst(pContext)) {
            pContext->m_stack.Push(i);
            return 1;
        }
    }
    return 0;
}

template <int x>
int CAlternativeElxT<x>::MatchFirst(CMatchContext* pContext) const {
    if (m_elxlist.GetSize() == 0) return 1;
    CDepthGuard guard(pContext);
    if (!guard) return 0;
    return TryFrom(pContext, 0);
}

template <int x>
int CAlternativeElxT<x>::MatchAgain(CMatchContext* pContext) const {
    if (m_elxlist.GetSize() == 0) return 0;
    CDepthGuard guard(pContext);
    if (!guard) return 0;
    const int i = pContext->m_stack.Pop();
    if (i < 0 || i >= m_elxlist.GetSize()) return 0;
    if (!pContext->Tick()) return 0;
    if (m_elxlist[i]->MatchAgain(pContext)) {
        pContext->m_stack.Push(i);
        return 1;
    }
    return TryFrom(pContext, i + 1);
}

template <class CHART>
int CBracketElxT<CHART>::MatchFirst(CMatchContext* pContext) const {
    const int n = m_nnumber;
    if (n < 0) return 0;
    CBufferT<int>& captures = pContext->m_capturestack;
    const int latest = pContext->LatestCapture(n);
    if (!m_bright) {
        pContext->m_captureindex.Prepare(n, -1);
        if (latest >= 0 && captures[latest + 2] == -1) {
            // The group is open: a recursion enters it once more.
            --captures[latest + 3];
            return 1;
        }
        pContext->m_captureindex[n] = captures.GetSize();
        captures.Push(n);
        captures.Push(pContext->m_nCurrentPos);
        captures.Push(-1);
        captures.Push(0);
        return 1;
    }
    if (latest < 0) return 1;
    if (captures[latest + 3] < 0) {
        ++captures[latest + 3];  // leaving a recursion level
    } else {
        captures[latest + 2] = pContext->m_nCurrentPos;
        captures[latest + 3] = pContext->m_nCloseCounter++;
    }
    return 1;
}

template <class CHART>
int CBracketElxT<CHART>::MatchAgain(CMatchContext* pContext) const {
    const int n = m_nnumber;
    if (n < 0) return 0;
    CBufferT<int>& captures = pContext->m_capturestack;
    const int latest = pContext->LatestCapture(n);
    if (latest < 0) return 0;
    if (!m_bright) {
        if (captures[latest + 3] < 0) {
            ++captures[latest + 3];
            return 0;
        }
        captures.Restore(latest);
        int previous = latest - kRecord;
        while (previous >= 0 && captures[previous] != n) previous -= kRecord;
        pContext->m_captureindex[n] = previous;
        return 0;
    }
    if (captures[latest + 2] == -1) {
        --captures[latest + 3];
    } else {
        captures[latest + 2] = -1;
        captures[latest + 3] = 0;
    }
    return 0;
}

template <class CHART>
int CBackrefElxT<CHART>::MatchFirst(CMatchContext* pContext) const {
    const int n = m_nnumber;
    if (n < 0 || n >= pContext->m_captureindex.GetSize() || pContext->m_captureindex[n] < 0)
        return 0;
    const int latest = pContext->LatestCapture(n);
    if (latest < 0) return 0;
    const int pos = pContext->m_nCurrentPos;
    int start = pContext->m_capturestack[latest + 1];
    int end = pContext->m_capturestack[latest + 2];
    if (end == -1) end = pos;
    if (start > end) {
        const int swap = start;
        start = end;
        end = swap;
    }
    const int length = end - start;
    const CHART* text = TextOf<CHART>(pContext);
    if (!m_brightleft) {
        if (pContext->m_pMatchStringLength - pos < length) return 0;
        // A comparison may run over the whole group: its units count as work,
        // or one call could compare megabytes and the bound would not see it.
        if (!pContext->Spend(length)) return 0;
        if (!SameUnits(text + start, text + pos, length, m_bignorecase != 0)) return 0;
        pContext->m_nCurrentPos = pos + length;
    } else {
        if (pos < length) return 0;
        if (!pContext->Spend(length)) return 0;
        if (!SameUnits(text + start, text + pos - length, length, m_bignorecase != 0)) return 0;
        pContext->m_nCurrentPos = pos - length;
    }
    pContext->m_stack.Push(pos);
    return 1;
}

template <class CHART>
int CBackrefElxT<CHART>::MatchAgain(CMatchContext* pContext) const {
    pContext->m_nCurrentPos = pContext->m_stack.Pop();
    return 0;
}

template <int x>
int CAssertElxT<x>::MatchFirst(CMatchContext* pContext) const {
    CDepthGuard guard(pContext);
    if (!guard || !pContext->Tick()) return 0;
    const int pos = pContext->m_nCurrentPos;
    const int captures = pContext->m_capturestack.GetSize();
    const int stack = pContext->m_stack.GetSize();
    bool holds = m_pelx->MatchFirst(pContext) != 0;
    // A bound reached inside must not turn into success by negation.
    if (pContext->Aborted()) return 0;
    if (!m_byes) holds = !holds;
    pContext->m_stack.Restore(stack);
    pContext->m_nCurrentPos = pos;
    if (!holds) {
        pContext->m_capturestack.Restore(captures);
        return 0;
    }
    pContext->m_stack.Push(captures);
    return 1;
}

template <int x>
int CAssertElxT<x>::MatchAgain(CMatchContext* pContext) const {
    pContext->m_capturestack.Restore(pContext->m_stack.Pop());
    return 0;
}

template <int x>
int CIndependentElxT<x>::MatchFirst(CMatchContext* pContext) const {
    CDepthGuard guard(pContext);
    if (!guard || !pContext->Tick()) return 0;
    const int pos = pContext->m_nCurrentPos;
    const int captures = pContext->m_capturestack.GetSize();
    const int stack = pContext->m_stack.GetSize();
    if (!m_pelx->MatchFirst(pContext)) return 0;
    pContext->m_stack.Restore(stack);
    pContext->m_stack.Push(pos);
    pContext->m_stack.Push(captures);
    return 1;
}

template <int x>
int CIndependentElxT<x>::MatchAgain(CMatchContext* pContext) const {
    pContext->m_capturestack.Restore(pContext->m_stack.Pop());
    pContext->m_nCurrentPos = pContext->m_stack.Pop();
    return 0;
}

template <class CHART>
int CConditionElxT<CHART>::MatchFirst(CMatchContext* pContext) const {
    CDepthGuard guard(pContext);
    if (!guard) return 0;
    const int pos = pContext->m_nCurrentPos;
    const int captures = pContext->m_capturestack.GetSize();
    const int stack = pContext->m_stack.GetSize();
    bool holds = true;
    if (m_nnumber >= 0) {
        holds = pContext->LatestCapture(m_nnumber) >= 0;
    } else if (m_pelxask != nullptr) {
        if (!pContext->Tick()) return 0;
        holds = m_pelxask->MatchFirst(pContext) != 0;
        if (pContext->Aborted()) return 0;
        pContext->m_stack.Restore(stack);
        pContext->m_nCurrentPos = pos;
    }
    const ElxInterface* branch = holds ? m_pelxyes : m_pelxno;
    if (branch != nullptr && (!pContext->Tick() || !branch->MatchFirst(pContext))) {
        pContext->m_capturestack.Restore(captures);
        return 0;
    }
    pContext->m_stack.Push(captures);
    pContext->m_stack.Push(holds ? 1 : 0);
    return 1;
}

template <class CHART>
int CConditionElxT<CHART>::MatchAgain(CMatchContext* pContext) const {
    CDepthGuard guard(pContext);
    if (!guard) return 0;
    const bool holds = pContext->m_stack.Pop() != 0;
    const int captures = pContext->m_stack.Pop();
    const ElxInterface* branch = holds ? m_pelxyes : m_pelxno;
    if (branch != nullptr && pContext->Tick() && branch->MatchAgain(pContext)) {
        pContext->m_stack.Push(captures);
        pContext->m_stack.Push(holds ? 1 : 0);
        return 1;
    }
    pContext->m_capturestack.Restore(captures);
    return 0;
}

template <class CHART>
int CDelegateElxT<CHART>::MatchFirst(CMatchContext* pContext) const {
    if (m_pelx == nullptr) return 1;
    CDepthGuard guard(pContext);
    if (!guard || !pContext->Tick()) return 0;
    return m_pelx->MatchFirst(pContext);
}

template <class CHART>
int CDelegateElxT<CHART>::MatchAgain(CMatchContext* pContext) const {
    if (m_pelx == nullptr) return 0;
    CDepthGuard guard(pContext);
    if (!guard || !pContext->Tick()) return 0;
    return m_pelx->MatchAgain(pContext);
}

template class CListElxT<0>;
template class CAlternativeElxT<0>;
template class CBracketElxT<char16_t>;
template class CBackrefElxT<char16_t>;
template class CAssertElxT<0>;
template class CIndependentElxT<0>;
template class CConditionElxT<char16_t>;
template class CDelegateElxT<char16_t>;

}  // namespace qx::pattern
