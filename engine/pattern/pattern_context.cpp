#include "pattern_context.h"

namespace qx::pattern {

namespace {
// Work is handed out in slices so that Tick() costs one decrement; the memory
// bound is checked whenever a slice runs out.
constexpr std::int64_t kSlice = 4096;
}  // namespace

void CMatchContext::SetBudget(int length) {
    const std::int64_t units = std::int64_t{length} + 1;
    m_nWorkLeft = units * kWorkPerUnit > kWorkFloor ? units * kWorkPerUnit : kWorkFloor;
    if (m_nWorkCap > 0 && m_nWorkCap < m_nWorkLeft) m_nWorkLeft = m_nWorkCap;
    m_nWorkBudget = m_nWorkLeft;
    m_nStackLimit = units * kStackPerUnit;
    if (m_nStackLimit < kStackFloor) m_nStackLimit = kStackFloor;
    if (m_nStackLimit > kStackCeiling) m_nStackLimit = kStackCeiling;
    m_nSliceLeft = 0;
    m_nLinearWork = 0;
    m_nDepth = 0;
    m_bAborted = false;
}

bool CMatchContext::Replenish() {
    if (m_bAborted) return false;
    m_nWorkLeft += m_nSliceLeft;  // the calls made past the slice
    m_nSliceLeft = 0;
    const std::int64_t stacked = std::int64_t{m_stack.GetSize()} + m_capturestack.GetSize();
    if (m_nWorkLeft < 0 || stacked > m_nStackLimit) {
        Abort();
        return false;
    }
    const std::int64_t slice = m_nWorkLeft < kSlice ? m_nWorkLeft : kSlice;
    m_nWorkLeft -= slice;
    m_nSliceLeft = slice;
    return true;
}

}  // namespace qx::pattern
