// Compiling and searching: the search loop tries the top element at every
// start position, leftmost first (rightmost first for a right-to-left
// pattern), and reports the first way found at the first position that
// matches.
#include "pattern.h"

#include <new>

namespace qx::pattern {
namespace {

template <class CHART>
int CountToNul(const CHART* text) {
    int length = 0;
    while (text[length] != CHART(0) && length < kMaxTextLength) ++length;
    return length;
}

}  // namespace

template <class CHART>
CPatternT<CHART>::CPatternT(const CHART* pattern) {
    if (pattern != nullptr) Compile(pattern, 0);
}

template <class CHART>
CPatternT<CHART>::CPatternT(const CHART* pattern, int length, int flags) {
    Compile(pattern, length, flags);
}

template <class CHART>
ElxInterface* CPatternT<CHART>::Compile(const CHART* pattern, int flags) {
    return Compile(pattern, pattern != nullptr ? CountToNul(pattern) : 0, flags);
}

template <class CHART>
ElxInterface* CPatternT<CHART>::Compile(const CHART* pattern, int length, int flags) {
    m_filter.Reset();
    m_linear.Reset();
    if (pattern == nullptr) {
        m_builder.Clear();
        return nullptr;
    }
    ElxInterface* top =
        m_builder.Build(CBufferRefT<CHART>(pattern, length < 0 ? 0 : length), flags);
    if (top == nullptr) return top;
    AnalyseFollowers<CHART>(m_builder.Elements());
    if ((flags & PF_RIGHT_TO_LEFT) == 0) {
        m_filter.Analyse(top);
        m_linear.Build(top);
    }
    return top;
}

template <class CHART>
CMatchResult CPatternT<CHART>::Search(const CHART* text) const {
    CMatchContext context;
    return Search(text, text != nullptr ? static_cast<std::size_t>(CountToNul(text)) : 0, context);
}

template <class CHART>
CMatchResult CPatternT<CHART>::Search(const CHART* text, std::size_t length) const {
    CMatchContext context;
    return Search(text, length, context);
}

template <class CHART>
CMatchResult CPatternT<CHART>::Search(const CHART* text, std::size_t length,
                                      CMatchContext& context) const {
    if (length > static_cast<std::size_t>(kMaxTextLength)) return CMatchResult();
    if (text == nullptr && length > 0) return CMatchResult();
    try {
        return Run(text, static_cast<int>(length), 0, context);
    } catch (const std::bad_alloc&) {
        context.Abort();  // out of memory is a bound like the others
        return CMatchResult();
    }
}

template <class CHART>
MatchOutcome CPatternT<CHART>::Test(const CHART* text, std::size_t length, std::size_t from) const {
    CMatchContext context;
    return Test(text, length, from, context);
}

template <class CHART>
MatchOutcome CPatternT<CHART>::Test(const CHART* text, std::size_t length, std::size_t from,
                                    CMatchContext& context) const {
    static const CHART kEmptyText[1] = {CHART(0)};
    if (length > static_cast<std::size_t>(kMaxTextLength) || (text == nullptr && length > 0)) {
        context.Abort();
        return MatchOutcome::kStopped;  // nothing was searched
    }
    const int units = static_cast<int>(length);
    context.SetBudget(units);
    if (from > length || m_builder.m_pTopElx == nullptr) return MatchOutcome::kNoMatch;
    if (text == nullptr) text = kEmptyText;
    try {
        if (m_linear.Usable() && !context.BacktrackerOnly()) {
            std::int64_t work = 0;
            const bool found = m_linear.Search(text, units, static_cast<int>(from), m_filter, work);
            context.AddLinearWork(work);
            return found ? MatchOutcome::kMatch : MatchOutcome::kNoMatch;
        }
        const bool matched = Run(text, units, static_cast<int>(from), context).IsMatched();
        if (context.Aborted()) return MatchOutcome::kStopped;
        return matched ? MatchOutcome::kMatch : MatchOutcome::kNoMatch;
    } catch (const std::bad_alloc&) {
        context.Abort();
        return MatchOutcome::kStopped;
    }
}

template <class CHART>
CMatchResult CPatternT<CHART>::Run(const CHART* text, int length, int from,
                                   CMatchContext& context) const {
    static const CHART kEmptyText[1] = {CHART(0)};
    CMatchResult result;
    const ElxInterface* top = m_builder.m_pTopElx;
    if (top == nullptr) return result;
    if (text == nullptr) text = kEmptyText;

    context.SetBudget(length);
    const bool rightleft = (m_builder.m_nFlags & PF_RIGHT_TO_LEFT) != 0;
    const int maxNumber = m_builder.m_nMaxNumber;
    context.m_nCurrentPos = context.m_nBeginPos = rightleft ? length : from;
    context.m_nLastBeginPos = -1;
    context.m_nCloseCounter = 0;
    context.m_pMatchString = text;
    context.m_pMatchStringLength = length;

    const int endPos = rightleft ? from - 1 : length + 1;
    const int step = rightleft ? -1 : 1;
    while (context.m_nCurrentPos != endPos) {
        if (m_filter.Active()) {
            const int candidate = m_filter.NextCandidate(text, length, context.m_nCurrentPos);
            if (candidate < 0) break;
            context.m_nCurrentPos = candidate;
        }
        const int start = context.m_nCurrentPos;
        context.m_stack.Clear();
        context.m_capturestack.Clear();
        context.m_captureindex.Clear();
        context.m_captureindex.Prepare(maxNumber, -1);
        context.m_captureindex[0] = 0;
        context.m_capturestack.Push(0);
        context.m_capturestack.Push(start);
        context.m_capturestack.Push(-1);
        context.m_capturestack.Push(-1);
        if (!context.Tick()) break;
        if (top->MatchFirst(&context)) {
            if (context.Aborted()) break;
            context.m_capturestack[2] = context.m_nCurrentPos;
            CBufferT<int>& values = result.Values();
            values.Push(1);
            values.Push(maxNumber);
            for (int group = 0; group <= maxNumber; ++group) {
                const int record = context.LatestCapture(group);
                int first = -1, second = -1;
                if (record >= 0 && context.m_capturestack[record + 2] != -1) {
                    first = context.m_capturestack[record + 1];
                    second = context.m_capturestack[record + 2];
                    if (first > second) {
                        const int swap = first;
                        first = second;
                        second = swap;
                    }
                }
                values.Push(first);
                values.Push(second);
            }
            return result;
        }
        if (context.Aborted()) break;
        context.m_nCurrentPos = start + step;
    }
    return CMatchResult();
}

template <class CHART>
std::vector<typename CPatternT<CHART>::RequiredLiteral> CPatternT<CHART>::RequiredLiterals() const {
    const auto view = [](const CBufferRefT<CHART>& literal) {
        return std::basic_string_view<CHART>(literal.GetBuffer(),
                                             static_cast<std::size_t>(literal.GetSize()));
    };
    std::vector<RequiredLiteral> literals;
    if (m_filter.m_literal.GetSize() > 0) {
        literals.push_back({view(m_filter.m_literal), m_filter.m_nLiteralOffset});
    }
    for (int i = 0; i < m_filter.m_alternatives.GetSize(); ++i) {
        literals.push_back(
            {view(m_filter.m_alternatives[i].literal), m_filter.m_alternatives[i].offset});
    }
    return literals;
}

template class CPatternT<char16_t>;

MatchOutcome TestPattern(const char16_t* pattern, const char16_t* text, std::size_t length,
                         int flags) {
    if (pattern == nullptr) return MatchOutcome::kNoMatch;
    try {
        CPatternT<char16_t> compiled(pattern, CountToNul(pattern), flags);
        return compiled.Test(text, length);
    } catch (const std::bad_alloc&) {
        return MatchOutcome::kStopped;  // no memory to compile
    }
}

bool PatternMatches(const char16_t* pattern, const char16_t* text, std::size_t length, int flags) {
    return TestPattern(pattern, text, length, flags) == MatchOutcome::kMatch;
}

}  // namespace qx::pattern
