// Compiling a tree into the linear search's steps. Every element is emitted
// so that it goes on at a step already emitted, so the steps come out from the
// end of the pattern to its start. Quantifiers are unrolled: {n,m} becomes n
// copies of the element and m-n nested optional ones; an unbounded one
// becomes a fork that loops back.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "pattern_linear.h"

namespace qx::pattern {
namespace {

// Larger or costlier programs would make the search slow per unit of text;
// the pattern is then left to the backtracker. 1024 steps alive at once take
// about 25 us per unit, a few times what the backtracker may spend before its
// bound; the rules' patterns cost 7 to 61 steps per unit.
constexpr int kMaxSteps = 1024;
constexpr std::int64_t kMaxCostPerUnit = 1024;
// Elements nested deeper are left to the backtracker, which keeps the
// compiler's own recursion short.
constexpr int kMaxDepth = 256;
constexpr int kMaxMemo = 4096;
constexpr std::int64_t kUnboundedWidth = std::int64_t{1} << 40;

std::int64_t Saturated(std::int64_t value) {
    return value < kUnboundedWidth ? value : kUnboundedWidth;
}

std::int64_t Times(std::int64_t a, std::int64_t b) {
    if (a == 0 || b == 0) return 0;
    return a >= kUnboundedWidth / b ? kUnboundedWidth : a * b;
}

// The least and most units an element can take.
struct Width {
    std::int64_t least = 0;
    std::int64_t most = 0;
    bool Fixed() const { return least == most; }
};

// Whether the set's answer is the same for every unit from 256 up.
template <class CHART>
bool SameForHighUnits(const CRangeElxT<CHART>* set, int depth) {
    if (depth > kMaxDepth) return false;
    for (int i = 0; i < set->m_ranges.GetSize(); ++i)
        if (set->m_ranges[i] >= 256) return false;
    for (int i = 0; i < set->m_chars.GetSize(); ++i)
        if (set->m_chars[i] >= 256) return false;
    for (int i = 0; i < set->m_embeds.GetSize(); ++i) {
        const ElxInterface* embed = set->m_embeds[i];
        if (auto inner = Exactly<CRangeElxT<CHART>>(embed)) {
            if (!SameForHighUnits(inner, depth + 1)) return false;
        } else if (!Exactly<CPosixElxT<CHART>>(embed)) {
            return false;  // POSIX classes hold no unit above 127
        }
    }
    return true;
}

template <class CHART>
class CLinearCompilerT {
    using Step = LinearStep<CHART>;

  public:
    explicit CLinearCompilerT(CLinearProgramT<CHART>& program) : m_program(program) {}

    bool Compile(const ElxInterface* top) {
        m_program.m_steps.reserve(64);
        const int match = Add(Step{Step::kMatch});
        const int start = Emit(top, match, false, 0);
        if (start < 0) return false;
        const std::int64_t cost = Saturated(m_region.steps + m_region.nested);
        if (cost > kMaxCostPerUnit) return false;
        m_program.m_nStart = start;
        m_program.m_nStates = static_cast<int>(m_region.steps);
        m_program.m_nCostPerUnit = cost;
        return true;
    }

  private:
    // The steps of one program, the pattern's own or a lookaround's, and
    // what its lookarounds cost per position it asks them about.
    struct Region {
        std::int64_t steps = 0;
        std::int64_t nested = 0;
        std::int64_t span = 0;  // the spans of the lookarounds it lies in
    };

    int Add(const Step& step) {
        if (static_cast<int>(m_program.m_steps.size()) >= kMaxSteps) return -1;
        m_program.m_steps.push_back(step);
        ++m_region.steps;
        return static_cast<int>(m_program.m_steps.size()) - 1;
    }

    int Fork(int first, int second) {
        Step step{Step::kFork};
        step.next = first;
        step.arg = second;
        return Add(step);
    }

    // Emits `element`, matched right to left when `backward`, so that it
    // goes on at step `next`; its first step, or -1 when it cannot be taken.
    int Emit(const ElxInterface* element, int next, bool backward, int depth) {
        if (next < 0 || depth > kMaxDepth) return -1;
        if (element == nullptr || Exactly<CEmptyElxT<0>>(element)) return next;
        if (Exactly<CGlobalElxT<0>>(element)) {
            Step step{Step::kBegin};
            step.next = next;
            return Add(step);
        }
        if (auto boundary = Exactly<CBoundaryElxT<CHART>>(element)) {
            Step step{Step::kBoundary};
            step.yes = boundary->m_byes != 0;
            step.arg = boundary->m_nType;
            step.next = next;
            return Add(step);
        }
        if (auto bracket = Exactly<CBracketElxT<CHART>>(element))
            return bracket->m_nnumber >= 0 ? next : Add(Step{Step::kFail});
        if (auto string = Exactly<CStringElxT<CHART>>(element))
            return EmitString(string, next, backward);
        if (auto set = Exactly<CRangeElxT<CHART>>(element))
            return (set->m_brightleft != 0) == backward ? EmitSet(set, nullptr, next, depth) : -1;
        if (auto posix = Exactly<CPosixElxT<CHART>>(element))
            return (posix->m_brightleft != 0) == backward ? EmitSet(nullptr, posix, next, depth)
                                                          : -1;
        if (auto list = Exactly<CListElxT<0>>(element))
            return EmitList(list, next, backward, depth);
        if (auto alternative = Exactly<CAlternativeElxT<0>>(element))
            return EmitAlternative(alternative, next, backward, depth);
        if (auto repeat = Exactly<CRepeatElxT<0>>(element))
            return EmitCopies(repeat->m_pelx, repeat->m_nfixed, next, backward, depth);
        if (auto greedy = Exactly<CGreedyElxT<0>>(element)) {
            // Other ways of iterations before the last are never tried, so
            // only an element whose every way ends at the same place is safe.
            if (!WidthOf(greedy->m_pelx, depth + 1).Fixed()) return -1;
            return EmitRepeat(greedy->m_pelx, greedy->m_nfixed, greedy->m_nvart, next, backward,
                              depth);
        }
        if (auto reluctant = Exactly<CReluctantElxT<0>>(element))
            return EmitRepeat(reluctant->m_pelx, reluctant->m_nfixed, reluctant->m_nvart, next,
                              backward, depth);
        if (auto independent = Exactly<CIndependentElxT<0>>(element)) {
            // Keeping only the first way changes nothing when all ways end alike.
            if (!WidthOf(independent->m_pelx, depth + 1).Fixed()) return -1;
            return Emit(independent->m_pelx, next, backward, depth + 1);
        }
        if (auto assertion = Exactly<CAssertElxT<0>>(element)) {
            const int look = EmitLook(assertion, depth);
            if (look < 0) return -1;
            Step step{Step::kLook};
            step.arg = look;
            step.next = next;
            return Add(step);
        }
        // Backreferences, recursions, conditions, possessive quantifiers.
        return -1;
    }

    int EmitString(const CStringElxT<CHART>* string, int next, bool backward) {
        if ((string->m_brightleft != 0) != backward) return -1;
        const CBufferT<CHART>& units = string->m_szPattern;
        const int count = units.GetSize();
        // Right to left the last unit is consumed first.
        for (int n = 0; n < count && next >= 0; ++n) {
            Step step{Step::kUnit};
            step.unit = step.other = units[backward ? n : count - 1 - n];
            if (string->m_byignorecase) step.other = OtherCase(step.unit);
            step.next = next;
            next = Add(step);
        }
        return next;
    }

    static CHART OtherCase(CHART unit) {
        if (unit >= CHART('a') && unit <= CHART('z')) return CHART(unit - ('a' - 'A'));
        if (unit >= CHART('A') && unit <= CHART('Z')) return CHART(unit + ('a' - 'A'));
        return unit;
    }

    int EmitSet(const CRangeElxT<CHART>* range, const CPosixElxT<CHART>* posix, int next,
                int depth) {
        int index = 0;
        const int count = static_cast<int>(m_program.m_sets.size());
        while (index < count &&
               (m_program.m_sets[index].range != range || m_program.m_sets[index].posix != posix))
            ++index;
        if (index == count) {
            LinearSet<CHART> set;
            set.range = range;
            set.posix = posix;
            auto matches = [&](CHART unit) {
                return range != nullptr ? range->Matches(unit) : posix->Matches(unit);
            };
            if (const unsigned long long* known = range ? range->AsciiMatches() : nullptr) {
                for (int word = 0; word < 4; ++word) set.low[word] = known[word];
            } else {
                for (unsigned unit = 0; unit < 256; ++unit)
                    if (matches(CHART(unit))) set.low[unit >> 6] |= 1ULL << (unit & 63);
            }
            set.high = LinearSet<CHART>::kAskHigh;
            if (posix != nullptr || SameForHighUnits(range, depth))
                set.high =
                    matches(CHART(256)) ? LinearSet<CHART>::kAllHigh : LinearSet<CHART>::kNoHigh;
            m_program.m_sets.push_back(set);
        }
        Step step{Step::kSet};
        step.arg = index;
        step.next = next;
        return Add(step);
    }

    int EmitList(const CListElxT<0>* list, int next, bool backward, int depth) {
        const int count = list->m_elxlist.GetSize();
        if (count > 0 && (list->m_brightleft != 0) != backward) return -1;
        // A right-to-left list is walked from its last element, which is
        // therefore its entry; either way the walk's last comes out first.
        for (int n = 0; n < count && next >= 0; ++n) {
            const ElxInterface* element = list->m_elxlist[backward ? n : count - 1 - n];
            next = Emit(element, next, backward, depth + 1);
        }
        return next;
    }

    int EmitAlternative(const CAlternativeElxT<0>* alternative, int next, bool backward,
                        int depth) {
        const int count = alternative->m_elxlist.GetSize();
        if (count == 0) return next;
        int entry = Emit(alternative->m_elxlist[count - 1], next, backward, depth + 1);
        for (int n = count - 2; n >= 0 && entry >= 0; --n) {
            const int branch = Emit(alternative->m_elxlist[n], next, backward, depth + 1);
            entry = branch < 0 ? -1 : Fork(branch, entry);
        }
        return entry;
    }

    int EmitCopies(const ElxInterface* element, int copies, int next, bool backward, int depth) {
        for (int n = 0; n < copies && next >= 0; ++n) {
            const std::size_t before = m_program.m_steps.size();
            const int entry = Emit(element, next, backward, depth + 1);
            // An element without steps matches empty and nothing else: one
            // copy or a million are the same.
            if (entry == next && m_program.m_steps.size() == before) break;
            next = entry;
        }
        return next;
    }

    // `fixed` copies, then up to `optional` more, unbounded at kUnboundedRepeat.
    int EmitRepeat(const ElxInterface* element, int fixed, int optional, int next, bool backward,
                   int depth) {
        const bool unbounded = static_cast<std::int64_t>(fixed) + optional >= kUnboundedRepeat;
        int rest = next;
        if (unbounded) {
            const int loop = Fork(-1, next);
            if (loop < 0) return -1;
            const int body = Emit(element, loop, backward, depth + 1);
            if (body < 0) return -1;
            m_program.m_steps[static_cast<std::size_t>(loop)].next = body;
            rest = loop;
        } else {
            for (int n = 0; n < optional && rest >= 0; ++n) {
                const std::size_t before = m_program.m_steps.size();
                const int body = Emit(element, rest, backward, depth + 1);
                if (body == rest && m_program.m_steps.size() == before) break;
                rest = body < 0 ? -1 : Fork(body, next);
            }
        }
        return rest < 0 ? -1 : EmitCopies(element, fixed, rest, backward, depth);
    }

    // The lookaround's index, its element emitted as a program of its own
    // the first time it is met (a quantifier's copies share it).
    int EmitLook(const CAssertElxT<0>* assertion, int depth) {
        for (std::size_t n = 0; n < m_asserts.size(); ++n)
            if (m_asserts[n] == assertion) return static_cast<int>(n);
        const bool backward = assertion->m_bbehind != 0;
        const Width width = WidthOf(assertion->m_pelx, depth + 1);
        if (width.most >= kUnboundedWidth) return -1;

        const Region outer = m_region;
        m_region = Region{};
        m_region.span = Saturated(outer.span + width.most);
        LinearLook look;
        look.ahead = !backward;
        look.positive = assertion->m_byes != 0;
        look.span = static_cast<int>(width.most);
        const int match = Add(Step{Step::kMatch});
        look.start = Emit(assertion->m_pelx, match, backward, depth + 1);
        look.states = static_cast<int>(m_region.steps);
        m_region = outer;
        if (look.start < 0) return -1;
        look.cost = CostOfOneAnswer(look.start);
        if (look.cost > kMaxCostPerUnit) return -1;
        m_region.nested = Saturated(m_region.nested + look.cost);
        // It is asked about positions within the spans of the lookarounds
        // around it of the position the pattern has reached, which only
        // grows: twice that many answers are never asked for again once
        // overwritten.
        while (look.memo <= 2 * outer.span && look.memo < kMaxMemo) look.memo *= 2;

        m_asserts.push_back(assertion);
        m_program.m_looks.push_back(look);
        return static_cast<int>(m_program.m_looks.size()) - 1;
    }

    // The most steps a lookaround's run from `start` can visit: those
    // reachable after each number of units consumed, the lookarounds among
    // them at their own cost. More than kMaxCostPerUnit counts as too much.
    std::int64_t CostOfOneAnswer(int start) const {
        std::vector<int> level{start}, next, pending;
        std::vector<std::int64_t> seen(m_program.m_steps.size(), -1);
        std::int64_t cost = 0;
        for (std::int64_t consumed = 0; !level.empty(); ++consumed) {
            pending.swap(level);
            next.clear();
            while (!pending.empty()) {
                const int index = pending.back();
                pending.pop_back();
                if (seen[static_cast<std::size_t>(index)] == consumed) continue;
                seen[static_cast<std::size_t>(index)] = consumed;
                const Step& step = m_program.m_steps[static_cast<std::size_t>(index)];
                cost += 1;
                if (step.kind == Step::kLook)
                    cost += m_program.m_looks[static_cast<std::size_t>(step.arg)].cost;
                if (cost > kMaxCostPerUnit) return cost;
                if (step.kind == Step::kUnit || step.kind == Step::kSet) {
                    next.push_back(step.next);
                } else if (step.kind == Step::kFork) {
                    pending.push_back(step.next);
                    pending.push_back(step.arg);
                } else if (step.kind != Step::kMatch && step.kind != Step::kFail) {
                    pending.push_back(step.next);
                }
            }
            level.swap(next);
        }
        return cost;
    }

    Width WidthOf(const ElxInterface* element, int depth) const {
        constexpr Width kUnknown{0, kUnboundedWidth};
        if (element == nullptr || depth > kMaxDepth) return element ? kUnknown : Width{};
        if (auto string = Exactly<CStringElxT<CHART>>(element)) {
            const std::int64_t count = string->m_szPattern.GetSize();
            return Width{count, count};
        }
        if (Exactly<CRangeElxT<CHART>>(element) || Exactly<CPosixElxT<CHART>>(element))
            return Width{1, 1};
        if (auto list = Exactly<CListElxT<0>>(element)) {
            Width sum;
            for (int n = 0; n < list->m_elxlist.GetSize(); ++n) {
                const Width part = WidthOf(list->m_elxlist[n], depth + 1);
                sum.least = Saturated(sum.least + part.least);
                sum.most = Saturated(sum.most + part.most);
            }
            return sum;
        }
        if (auto alternative = Exactly<CAlternativeElxT<0>>(element)) {
            const int count = alternative->m_elxlist.GetSize();
            Width range{count > 0 ? kUnboundedWidth : 0, 0};
            for (int n = 0; n < count; ++n) {
                const Width part = WidthOf(alternative->m_elxlist[n], depth + 1);
                if (part.least < range.least) range.least = part.least;
                if (part.most > range.most) range.most = part.most;
            }
            return range;
        }
        if (auto independent = Exactly<CIndependentElxT<0>>(element))
            return WidthOf(independent->m_pelx, depth + 1);
        if (auto repeat = Exactly<CRepeatElxT<0>>(element)) {
            const Width one = WidthOf(repeat->m_pelx, depth + 1);
            const std::int64_t copies = repeat->m_nfixed > 0 ? repeat->m_nfixed : 0;
            return Width{Times(one.least, copies), Times(one.most, copies)};
        }
        int fixed = 0, optional = 0;
        const ElxInterface* body = nullptr;
        if (auto greedy = dynamic_cast<const CGreedyElxT<0>*>(element)) {
            fixed = greedy->m_nfixed, optional = greedy->m_nvart, body = greedy->m_pelx;
        } else if (auto reluctant = Exactly<CReluctantElxT<0>>(element)) {
            fixed = reluctant->m_nfixed, optional = reluctant->m_nvart, body = reluctant->m_pelx;
        }
        if (body != nullptr) {
            const Width one = WidthOf(body, depth + 1);
            const std::int64_t least = fixed > 0 ? fixed : 0;
            const bool unbounded = static_cast<std::int64_t>(fixed) + optional >= kUnboundedRepeat;
            const std::int64_t most =
                unbounded && one.most > 0 ? kUnboundedWidth : Times(one.most, least + optional);
            return Width{Times(one.least, least), most};
        }
        if (Exactly<CBoundaryElxT<CHART>>(element) || Exactly<CBracketElxT<CHART>>(element) ||
            Exactly<CAssertElxT<0>>(element) || Exactly<CEmptyElxT<0>>(element) ||
            Exactly<CGlobalElxT<0>>(element))
            return Width{};
        return kUnknown;
    }

    CLinearProgramT<CHART>& m_program;
    Region m_region;
    std::vector<const CAssertElxT<0>*> m_asserts;  // by lookaround index
};

}  // namespace

template <class CHART>
void CLinearProgramT<CHART>::Reset() {
    m_steps.clear();
    m_sets.clear();
    m_looks.clear();
    m_nStart = -1;
    m_nStates = 0;
    m_nCostPerUnit = 0;
}

template <class CHART>
bool CLinearProgramT<CHART>::Build(const ElxInterface* top) {
    Reset();
    if (top == nullptr) return false;
    CLinearCompilerT<CHART> compiler(*this);
    if (compiler.Compile(top)) return true;
    Reset();
    return false;
}

template void CLinearProgramT<char16_t>::Reset();
template bool CLinearProgramT<char16_t>::Build(const ElxInterface*);

}  // namespace qx::pattern
