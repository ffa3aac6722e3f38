// Running the linear search: the steps alive at a position are kept in a
// list; each unit of text moves every consuming step on to the next list, and
// a new attempt joins wherever a match may start. A step is listed at most
// once per position, so a position costs at most the program's size, plus
// the lookarounds asked about there, each run anew over the few units it can
// take and remembered for the position.
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "pattern_linear.h"
#include "pattern_text.h"

namespace qx::pattern {
namespace {

template <class CHART>
class CLinearRunT {
    using Step = LinearStep<CHART>;

  public:
    CLinearRunT(const CLinearProgramT<CHART>& program, const CHART* text, int length, int from)
        : m_program(program),
          m_steps(program.m_steps.data()),
          m_text(text),
          m_nLength(length),
          m_nFrom(from),
          m_stamps(program.m_steps.size(), 0),
          m_scratch(program.m_looks.size() + 1),
          m_memo(program.m_looks.size()) {
        Reserve(m_scratch[0], program.m_nStates);
        for (std::size_t n = 0; n < program.m_looks.size(); ++n) {
            Reserve(m_scratch[n + 1], program.m_looks[n].states);
            m_memo[n].assign(static_cast<std::size_t>(program.m_looks[n].memo), MemoSlot{});
        }
    }

    bool Search(const CSearchFilterT<CHART>& filter) {
        Scratch& scratch = m_scratch[0];
        Threads* current = &scratch.current;
        Threads* next = &scratch.next;
        const bool filtered = filter.Active();
        int candidate = -1;  // the next position where a match may start
        auto mayStart = [&](int pos) {
            if (!filtered) return true;
            if (candidate < pos) {
                candidate = filter.NextCandidate(m_text, m_nLength, pos);
                if (candidate < 0) candidate = kNoPosition;
            }
            return candidate == pos;
        };

        int pos = m_nFrom;
        Open(*current);
        for (;;) {
            if (current->states.empty() && !mayStart(pos)) {
                // Nothing alive: go straight to the next possible start.
                if (candidate == kNoPosition) return false;
                pos = candidate;
                Open(*current);
            }
            if (mayStart(pos) && Follow(*current, scratch.pending, m_program.m_nStart, pos))
                return true;
            if (pos >= m_nLength) return false;
            const CHART unit = m_text[pos];
            Open(*next);
            for (const int index : current->states) {
                const Step& step = m_steps[index];
                if (Consumes(step, unit) && Follow(*next, scratch.pending, step.next, pos + 1))
                    return true;
            }
            std::swap(current, next);
            ++pos;
        }
    }

    std::int64_t Work() const { return m_nWork; }

  private:
    static constexpr int kNoPosition = 0x7fffffff;

    // The consuming steps alive at one position. `mark` stamps every step
    // reached there, so that none is followed twice.
    struct Threads {
        std::vector<int> states;
        std::uint64_t mark = 0;
    };
    struct Scratch {
        Threads current, next;
        std::vector<int> pending;
    };
    struct MemoSlot {
        int pos = -1;
        bool holds = false;
    };

    static void Reserve(Scratch& scratch, int states) {
        const auto count = static_cast<std::size_t>(states);
        scratch.current.states.reserve(count);
        scratch.next.states.reserve(count);
        scratch.pending.reserve(count);
    }

    void Open(Threads& threads) {
        threads.states.clear();
        threads.mark = ++m_nMark;
    }

    bool Consumes(const Step& step, CHART unit) const {
        if (step.kind == Step::kUnit) return unit == step.unit || unit == step.other;
        return m_program.m_sets[static_cast<std::size_t>(step.arg)].Matches(unit);
    }

    // Lists the consuming steps reachable from `first` at `pos` without
    // consuming; true when the end of a match is reachable too.
    bool Follow(Threads& threads, std::vector<int>& pending, int first, int pos) {
        const auto kind = m_steps[first].kind;
        if (kind == Step::kUnit || kind == Step::kSet) {  // most often: a run of units
            if (m_stamps[static_cast<std::size_t>(first)] != threads.mark) {
                m_stamps[static_cast<std::size_t>(first)] = threads.mark;
                ++m_nWork;
                threads.states.push_back(first);
            }
            return false;
        }
        pending.push_back(first);
        while (!pending.empty()) {
            const int index = pending.back();
            pending.pop_back();
            if (m_stamps[static_cast<std::size_t>(index)] == threads.mark) continue;
            m_stamps[static_cast<std::size_t>(index)] = threads.mark;
            ++m_nWork;
            const Step& step = m_steps[index];
            switch (step.kind) {
                case Step::kUnit:
                case Step::kSet:
                    threads.states.push_back(index);
                    break;
                case Step::kFork:
                    pending.push_back(step.arg);
                    pending.push_back(step.next);
                    break;
                case Step::kBoundary:
                    if (BoundaryHolds(step.arg, m_text, m_nLength, pos) == step.yes)
                        pending.push_back(step.next);
                    break;
                case Step::kBegin:
                    if (pos == m_nFrom) pending.push_back(step.next);
                    break;
                case Step::kLook:
                    if (LookHolds(step.arg, pos)) pending.push_back(step.next);
                    break;
                case Step::kMatch:
                    pending.clear();
                    return true;
                case Step::kFail:
                    break;
            }
        }
        return false;
    }

    bool LookHolds(int look, int pos) {
        std::vector<MemoSlot>& memo = m_memo[static_cast<std::size_t>(look)];
        const std::size_t slot = static_cast<std::size_t>(pos) & (memo.size() - 1);
        if (memo[slot].pos == pos) return memo[slot].holds;
        const LinearLook& info = m_program.m_looks[static_cast<std::size_t>(look)];
        const bool holds =
            MatchesAt(info, m_scratch[static_cast<std::size_t>(look) + 1], pos) == info.positive;
        memo[slot] = MemoSlot{pos, holds};
        return holds;
    }

    // Whether the lookaround's element matches from `pos` on, in its direction.
    bool MatchesAt(const LinearLook& look, Scratch& scratch, int pos) {
        Threads* current = &scratch.current;
        Threads* next = &scratch.next;
        Open(*current);
        if (Follow(*current, scratch.pending, look.start, pos)) return true;
        const int direction = look.ahead ? 1 : -1;
        while (!current->states.empty()) {
            if (look.ahead ? pos >= m_nLength : pos <= 0) return false;
            const CHART unit = m_text[look.ahead ? pos : pos - 1];
            Open(*next);
            for (const int index : current->states) {
                const Step& step = m_steps[index];
                if (Consumes(step, unit) &&
                    Follow(*next, scratch.pending, step.next, pos + direction))
                    return true;
            }
            std::swap(current, next);
            pos += direction;
        }
        return false;
    }

    const CLinearProgramT<CHART>& m_program;
    const Step* m_steps;
    const CHART* m_text;
    int m_nLength;
    int m_nFrom;
    std::vector<std::uint64_t> m_stamps;  // by step: the mark of the list it was last put on
    std::vector<Scratch> m_scratch;       // the pattern's, then each lookaround's
    std::vector<std::vector<MemoSlot>> m_memo;
    std::uint64_t m_nMark = 0;
    std::int64_t m_nWork = 0;
};

}  // namespace

template <class CHART>
bool CLinearProgramT<CHART>::Search(const CHART* text, int length, int from,
                                    const CSearchFilterT<CHART>& filter, std::int64_t& work) const {
    work = 0;
    if (!Usable() || from < 0 || from > length) return false;
    CLinearRunT<CHART> run(*this, text, length, from);
    const bool found = run.Search(filter);
    work = run.Work();
    return found;
}

template bool CLinearProgramT<char16_t>::Search(const char16_t*, int, int,
                                                const CSearchFilterT<char16_t>&,
                                                std::int64_t&) const;

}  // namespace qx::pattern
