#include "pattern_filter.h"

#include <cstring>
#include <string_view>
#include <type_traits>
#include <vector>

#include "pattern_text.h"

namespace qx::pattern {
namespace {

// Deeper trees are rare; past this the analysis gives up (no filter).
constexpr int kMaxAnalysisDepth = 64;

template <class CHART>
bool IsZeroWidth(const ElxInterface* element) {
    return Exactly<CBoundaryElxT<CHART>>(element) || Exactly<CBracketElxT<CHART>>(element) ||
           Exactly<CAssertElxT<0>>(element) || Exactly<CEmptyElxT<0>>(element) ||
           Exactly<CGlobalElxT<0>>(element);
}

// Minimum iterations and element of any quantifier, or none.
const CRepeatElxT<0>* AsRepeat(const ElxInterface* element) {
    if (auto repeat = Exactly<CRepeatElxT<0>>(element)) return repeat;
    if (auto greedy = Exactly<CGreedyElxT<0>>(element)) return greedy;
    if (auto reluctant = Exactly<CReluctantElxT<0>>(element)) return reluctant;
    if (auto possessive = Exactly<CPossessiveElxT<0>>(element)) return possessive;
    return nullptr;
}

// What can begin a match of an element: the units below 256 (bits), whether
// units from 256 up can, and whether the element can match the empty string
// (in which case what follows it can begin the match too).
struct StartUnits {
    unsigned long long bits[4] = {0, 0, 0, 0};
    bool high = false;
    bool canBeEmpty = false;

    static StartUnits Anything() {
        StartUnits units;
        for (auto& word : units.bits) word = ~0ULL;
        units.high = true;
        units.canBeEmpty = true;
        return units;
    }
    static StartUnits ZeroWidth() {
        StartUnits units;
        units.canBeEmpty = true;
        return units;
    }
    void Add(unsigned unit) {
        if (unit < 256)
            bits[unit >> 6] |= 1ULL << (unit & 63);
        else
            high = true;
    }
    void Merge(const StartUnits& other) {
        for (int i = 0; i < 4; ++i) bits[i] |= other.bits[i];
        high = high || other.high;
    }
};

template <class CHART>
bool MayMatchHigh(const CRangeElxT<CHART>* set) {
    if (!set->m_byinclude) return true;
    for (int i = 0; i < set->m_ranges.GetSize(); ++i)
        if (set->m_ranges[i] >= 256) return true;
    for (int i = 0; i < set->m_chars.GetSize(); ++i)
        if (set->m_chars[i] >= 256) return true;
    for (int i = 0; i < set->m_embeds.GetSize(); ++i) {
        const ElxInterface* embed = set->m_embeds[i];
        if (auto inner = Exactly<CRangeElxT<CHART>>(embed)) {
            if (MayMatchHigh(inner)) return true;
        } else if (auto posix = Exactly<CPosixElxT<CHART>>(embed)) {
            if (posix->m_posixfun != nullptr && !posix->m_byes) return true;
        } else {
            return true;
        }
    }
    return false;
}

template <class CHART>
StartUnits Analyse(const ElxInterface* element, int depth) {
    if (element == nullptr) return StartUnits::ZeroWidth();
    if (depth > kMaxAnalysisDepth) return StartUnits::Anything();
    StartUnits units;
    if (auto string = Exactly<CStringElxT<CHART>>(element)) {
        if (string->m_brightleft) return StartUnits::Anything();
        if (string->m_szPattern.GetSize() == 0) return StartUnits::ZeroWidth();
        const CHART first = string->m_szPattern[0];
        units.Add(first);
        if (string->m_byignorecase) {
            units.Add(UpperAscii(first));
            if (first >= CHART('A') && first <= CHART('Z')) units.Add(first + ('a' - 'A'));
        }
        return units;
    }
    if (auto set = Exactly<CRangeElxT<CHART>>(element)) {
        if (set->m_brightleft) return StartUnits::Anything();
        if (const unsigned long long* known = set->AsciiMatches()) {
            for (int word = 0; word < 4; ++word) units.bits[word] = known[word];
        } else {
            for (unsigned unit = 0; unit < 256; ++unit)
                if (set->Matches(CHART(unit))) units.Add(unit);
        }
        units.high = MayMatchHigh(set);
        return units;
    }
    if (auto posix = Exactly<CPosixElxT<CHART>>(element)) {
        if (posix->m_brightleft) return StartUnits::Anything();
        for (unsigned unit = 0; unit < 256; ++unit)
            if (posix->Matches(CHART(unit))) units.Add(unit);
        units.high = posix->m_posixfun != nullptr && !posix->m_byes;
        return units;
    }
    if (IsZeroWidth<CHART>(element)) return StartUnits::ZeroWidth();
    if (auto list = Exactly<CListElxT<0>>(element)) {
        if (list->m_brightleft) return StartUnits::Anything();
        units.canBeEmpty = true;
        for (int i = 0; i < list->m_elxlist.GetSize() && units.canBeEmpty; ++i) {
            const StartUnits part = Analyse<CHART>(list->m_elxlist[i], depth + 1);
            units.Merge(part);
            units.canBeEmpty = part.canBeEmpty;
        }
        return units;
    }
    if (auto alternative = Exactly<CAlternativeElxT<0>>(element)) {
        units.canBeEmpty = alternative->m_elxlist.GetSize() == 0;
        for (int i = 0; i < alternative->m_elxlist.GetSize(); ++i) {
            const StartUnits part = Analyse<CHART>(alternative->m_elxlist[i], depth + 1);
            units.Merge(part);
            units.canBeEmpty = units.canBeEmpty || part.canBeEmpty;
        }
        return units;
    }
    if (auto repeat = AsRepeat(element)) {
        units = Analyse<CHART>(repeat->m_pelx, depth + 1);
        units.canBeEmpty = units.canBeEmpty || repeat->m_nfixed <= 0;
        return units;
    }
    if (auto independent = Exactly<CIndependentElxT<0>>(element))
        return Analyse<CHART>(independent->m_pelx, depth + 1);
    // Conditions, recursions and backreferences: anything may begin them.
    return StartUnits::Anything();
}

// Walks the fixed-width start of the pattern looking for a case-sensitive
// literal. 1: found; 0: the element was passed (offset advanced); -1: give up.
template <class CHART>
int FindLiteral(const ElxInterface* element, int depth, int& offset, CBufferRefT<CHART>& literal) {
    if (element == nullptr || depth > kMaxAnalysisDepth) return -1;
    if (auto string = Exactly<CStringElxT<CHART>>(element)) {
        if (string->m_brightleft) return -1;
        if (string->m_byignorecase) {
            offset += string->m_szPattern.GetSize();
            return 0;
        }
        if (string->m_szPattern.GetSize() == 0) return 0;
        literal =
            CBufferRefT<CHART>(string->m_szPattern.GetBuffer(), string->m_szPattern.GetSize());
        return 1;
    }
    if (auto set = Exactly<CRangeElxT<CHART>>(element)) {
        if (set->m_brightleft) return -1;
        ++offset;
        return 0;
    }
    if (auto posix = Exactly<CPosixElxT<CHART>>(element)) {
        if (posix->m_brightleft) return -1;
        ++offset;
        return 0;
    }
    if (IsZeroWidth<CHART>(element)) return 0;
    if (auto list = Exactly<CListElxT<0>>(element)) {
        if (list->m_brightleft) return -1;
        for (int i = 0; i < list->m_elxlist.GetSize(); ++i) {
            const int found = FindLiteral(list->m_elxlist[i], depth + 1, offset, literal);
            if (found != 0) return found;
        }
        return 0;
    }
    return -1;
}

// As FindLiteral, but an alternation whose branches each begin with a
// literal after a fixed-width part yields one literal per branch. 1: `found`
// holds them; 0: the element was passed (offset advanced); -1: give up.
constexpr int kMaxAlternatives = 16;

template <class CHART>
int FindLiterals(const ElxInterface* element, int depth, int& offset,
                 CBufferT<typename CSearchFilterT<CHART>::Alternative>& found) {
    if (element == nullptr || depth > kMaxAnalysisDepth) return -1;
    if (auto alternative = Exactly<CAlternativeElxT<0>>(element)) {
        const int branches = alternative->m_elxlist.GetSize();
        if (branches == 0 || branches > kMaxAlternatives) return -1;
        for (int i = 0; i < branches; ++i) {
            int at = offset;
            CBufferRefT<CHART> literal;
            if (FindLiteral(alternative->m_elxlist[i], depth + 1, at, literal) != 1) return -1;
            found.Push({literal, at});
        }
        return 1;
    }
    if (auto list = Exactly<CListElxT<0>>(element)) {
        if (list->m_brightleft) return -1;
        for (int i = 0; i < list->m_elxlist.GetSize(); ++i) {
            const int result = FindLiterals<CHART>(list->m_elxlist[i], depth + 1, offset, found);
            if (result != 0) return result;
        }
        return 0;
    }
    CBufferRefT<CHART> literal;
    const int result = FindLiteral(element, depth, offset, literal);
    if (result == 1) found.Push({literal, offset});
    return result;
}

// The first place of `unit` in [p, end), or end; four units a step.
template <class CHART>
const CHART* FindUnit(const CHART* p, const CHART* end, CHART unit) {
    if constexpr (sizeof(CHART) == 2) {
        constexpr std::uint64_t kOnes = 0x0001000100010001ull, kHighs = 0x8000800080008000ull;
        const std::uint64_t pattern = kOnes * static_cast<std::uint16_t>(unit);
        while (end - p >= 4) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            const std::uint64_t x = word ^ pattern;
            if ((x - kOnes) & ~x & kHighs) break;
            p += 4;
        }
    }
    while (p < end && *p != unit) ++p;
    return p;
}

// How often a unit stands in script text, by rank: letters in the order of
// their frequency in source code, then digits and punctuation, then the rest
// (other units, Chinese among them, are rarer still).
template <class CHART>
int Commonness(CHART unit) {
    static constexpr std::string_view kByFrequency =
        " etaorisnlcdpu_m$fhgy()b.,;=v'\"kwx-/>0<1j:q2z[]{}3#4*5&!@689%7|+?~`^";
    const std::size_t rank =
        unit < 128 ? kByFrequency.find(static_cast<char>(unit)) : std::string_view::npos;
    return rank == std::string_view::npos ? -1 : static_cast<int>(kByFrequency.size() - rank);
}

// An element that always takes exactly one unit, left to right, and whose
// MatchAgain only steps back.
template <class CHART>
bool IsSingleUnit(const ElxInterface* element) {
    if (auto set = Exactly<CRangeElxT<CHART>>(element)) return !set->m_brightleft;
    if (auto posix = Exactly<CPosixElxT<CHART>>(element)) return !posix->m_brightleft;
    if (auto string = Exactly<CStringElxT<CHART>>(element))
        return !string->m_brightleft && string->m_szPattern.GetSize() == 1;
    return false;
}

}  // namespace

template <class CHART>
void AnalyseFollowers(const CBufferT<ElxInterface*>& elements) {
    for (int e = 0; e < elements.GetSize(); ++e) {
        const auto* list = Exactly<CListElxT<0>>(static_cast<const ElxInterface*>(elements[e]));
        if (list == nullptr || list->m_brightleft) continue;
        // What can begin the part of the sequence after element i, walking
        // backwards so that every part is analysed once.
        StartUnits after = StartUnits::ZeroWidth();
        for (int i = list->m_elxlist.GetSize() - 1; i >= 0; --i) {
            ElxInterface* child = list->m_elxlist[i];
            auto* greedy = Exactly<CGreedyElxT<0>>(child);
            if (greedy != nullptr && !after.canBeEmpty && IsSingleUnit<CHART>(greedy->m_pelx)) {
                greedy->m_bHasFollow = true;
                greedy->m_bFollowHigh = after.high;
                for (int word = 0; word < 4; ++word) greedy->m_follow[word] = after.bits[word];
            }
            const StartUnits own = Analyse<CHART>(child, 0);
            if (own.canBeEmpty) {
                after.Merge(own);
            } else {
                after = own;
            }
        }
    }
}

template <class CHART>
void CSearchFilterT<CHART>::Reset() {
    m_bActive = false;
    for (auto& word : m_first) word = 0;
    m_bHighUnits = false;
    m_literal = CBufferRefT<CHART>();
    m_nLiteralOffset = 0;
    m_nRareIndex = 0;
    m_alternatives.Clear();
    m_bSharedOffset = false;
    m_beginnings = BeginningSet();
}

template <class CHART>
void CSearchFilterT<CHART>::Analyse(const ElxInterface* top) {
    Reset();
    const StartUnits units = qx::pattern::Analyse<CHART>(top, 0);
    if (units.canBeEmpty) return;
    m_bActive = true;
    for (int i = 0; i < 4; ++i) m_first[i] = units.bits[i];
    m_bHighUnits = units.high;
    int offset = 0;
    if (FindLiteral(top, 0, offset, m_literal) == 1) {
        m_nLiteralOffset = offset;
        for (int i = 1; i < m_literal.GetSize(); ++i) {
            if (Commonness(m_literal[i]) < Commonness(m_literal[m_nRareIndex])) m_nRareIndex = i;
        }
        return;
    }
    m_literal = CBufferRefT<CHART>();
    offset = 0;
    if (FindLiterals<CHART>(top, 0, offset, m_alternatives) != 1 || m_alternatives.GetSize() < 2) {
        m_alternatives.Clear();
        return;
    }
    if constexpr (std::is_same_v<CHART, char16_t>) {
        std::vector<std::u16string_view> literals;
        for (int i = 0; i < m_alternatives.GetSize(); ++i) {
            const Alternative& branch = m_alternatives[i];
            if (branch.offset != m_alternatives[0].offset) return;
            literals.emplace_back(branch.literal.GetBuffer(),
                                  static_cast<std::size_t>(branch.literal.GetSize()));
        }
        m_beginnings = BeginningSet(literals);
        m_bSharedOffset = m_beginnings.Usable();
    }
}

template <class CHART>
int CSearchFilterT<CHART>::NextCandidate(const CHART* text, int length, int pos) const {
    auto mayBegin = [this](CHART unit) {
        return unit < 256 ? ((m_first[unit >> 6] >> (unit & 63)) & 1) != 0 : m_bHighUnits;
    };
    const int count = m_literal.GetSize();
    if (count == 0 && m_alternatives.GetSize() > 0) {
        // A start where one of the branches' literals stands; with the same
        // distance for all, where their first two units can.
        const int shared = m_bSharedOffset ? m_alternatives[0].offset : -1;
        for (; pos < length; ++pos) {
            if (shared >= 0) {
                constexpr int kReadable = static_cast<int>(BeginningSet::kReadable);
                while (pos + shared + kReadable <= length &&
                       m_beginnings.Bit(text + pos + shared) == 0) {
                    ++pos;
                }
            }
            if (pos >= length || !mayBegin(text[pos])) continue;
            for (int i = 0; i < m_alternatives.GetSize(); ++i) {
                const Alternative& branch = m_alternatives[i];
                const int at = pos + branch.offset;
                const int size = branch.literal.GetSize();
                if (at + size <= length &&
                    SameUnits(text + at, branch.literal.GetBuffer(), size, false))
                    return pos;
            }
        }
        return -1;
    }
    if (count == 0) {
        for (; pos < length; ++pos)
            if (mayBegin(text[pos])) return pos;
        return -1;
    }
    // Look for the literal's rarest unit, then for the literal around it.
    const int rare = m_nRareIndex;
    const CHART unit = m_literal[rare];
    const int last = length - count;  // the literal's last possible position
    for (int at = pos + m_nLiteralOffset; at <= last; ++at) {
        const CHART* stop = text + last + rare + 1;
        const CHART* scan = FindUnit(text + at + rare, stop, unit);
        if (scan == stop) return -1;
        at = static_cast<int>(scan - text) - rare;
        if (SameUnits(text + at, m_literal.GetBuffer(), count, false) &&
            mayBegin(text[at - m_nLiteralOffset]))
            return at - m_nLiteralOffset;
    }
    return -1;
}

template class CSearchFilterT<char16_t>;
template void AnalyseFollowers<char16_t>(const CBufferT<ElxInterface*>&);

}  // namespace qx::pattern
