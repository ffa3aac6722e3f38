// The state of one search. Elements keep nothing of their own while they run:
// everything a search changes lives here, so one compiled pattern can serve
// several searches at once, each with its own context.
#pragma once

#include <cstdint>

#include "pattern_buffer.h"
#include "pattern_limits.h"

namespace qx::pattern {

class CMatchContext {
  public:
    // Capture records are four ints: group number, start, end (-1 while the
    // group is open) and nesting counter.
    static constexpr int kCaptureRecordSize = 4;

    CBufferT<int> m_stack;         // what each element's MatchAgain will need
    CBufferT<int> m_capturestack;  // capture records
    CBufferT<int> m_captureindex;  // per group: index of its latest record, or -1
    int m_nCurrentPos = 0;
    int m_nBeginPos = 0;
    int m_nLastBeginPos = -1;
    int m_nCloseCounter = 0;
    const void* m_pMatchString = nullptr;
    int m_pMatchStringLength = 0;

    // Sets the work and memory allowance of one search over `length` units.
    void SetBudget(int length);
    // Lowers the work allowance of later searches in this context, for a
    // caller with less time to give than the engine's own bound (a fuzzer).
    void LimitWork(std::int64_t calls) { m_nWorkCap = calls; }
    // Makes Test use the bounded backtracker even for a pattern the linear
    // search takes, so that the two answers can be compared.
    void UseBacktracker() { m_bBacktrackerOnly = true; }
    bool BacktrackerOnly() const { return m_bBacktrackerOnly; }
    // Counts steps of the linear search, which has no bound, as work done.
    void AddLinearWork(std::int64_t steps) { m_nLinearWork += steps; }

    // Called before every element call made on behalf of another element.
    // False once a bound was reached: the caller then fails at once, and so
    // does everything above it, without touching the stacks again.
    bool Tick() { return --m_nSliceLeft >= 0 || Replenish(); }
    // Counts `calls` calls' worth of work done in one go.
    bool Spend(int calls) { return (m_nSliceLeft -= calls) >= 0 || Replenish(); }

    // True once the search stopped at a bound (work, memory or depth).
    bool Aborted() const { return m_bAborted; }
    // Element calls (and units compared by backreferences) counted so far in
    // this search, or the steps a linear search took.
    std::int64_t WorkUsed() const {
        return m_nWorkBudget - m_nWorkLeft - (m_nSliceLeft > 0 ? m_nSliceLeft : 0) + m_nLinearWork;
    }
    void Abort() {
        m_bAborted = true;
        m_nSliceLeft = 0;
    }

    // Capture-stack index of the latest record of `group`, or -1.
    int LatestCapture(int group) const {
        if (group < 0 || group >= m_captureindex.GetSize()) return -1;
        int index = m_captureindex[group];
        if (index < 0) return -1;
        const int last = m_capturestack.GetSize() - kCaptureRecordSize;
        if (index > last) index = last;
        for (; index >= 0; index -= kCaptureRecordSize)
            if (m_capturestack[index] == group) return index;
        return -1;
    }

  private:
    friend class CDepthGuard;
    bool Replenish();

    std::int64_t m_nSliceLeft = 0;
    std::int64_t m_nWorkLeft = 0;
    std::int64_t m_nWorkBudget = 0;
    std::int64_t m_nWorkCap = 0;
    std::int64_t m_nStackLimit = 0;
    std::int64_t m_nLinearWork = 0;
    int m_nDepth = 0;
    bool m_bAborted = false;
    bool m_bBacktrackerOnly = false;
};

// Counts one level of element nesting on the call stack for its lifetime;
// converts to false (and aborts the search) past kMaxMatchDepth.
class CDepthGuard {
  public:
    explicit CDepthGuard(CMatchContext* context) : m_pContext(context) {
        m_bEntered = ++context->m_nDepth <= kMaxMatchDepth && !context->m_bAborted;
        if (!m_bEntered) context->Abort();
    }
    ~CDepthGuard() { --m_pContext->m_nDepth; }
    CDepthGuard(const CDepthGuard&) = delete;
    CDepthGuard& operator=(const CDepthGuard&) = delete;

    explicit operator bool() const { return m_bEntered; }

  private:
    CMatchContext* m_pContext;
    bool m_bEntered;
};

}  // namespace qx::pattern
