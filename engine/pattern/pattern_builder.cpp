// The recursive-descent builder: alternative -> sequence -> quantified atom
// -> atom, with groups, sets, anchors and backreferences as atoms. Flags
// travel by reference so that an inline modifier changes them for the rest of
// its enclosing group.
#include "pattern_builder.h"

#include "pattern_flags.h"
#include "pattern_limits.h"
#include "pattern_posix.h"

namespace qx::pattern {
namespace {

constexpr int kMaxDecimalDigits = 6;

template <class CHART>
bool IsDigitUnit(CHART unit) {
    return unit >= CHART('0') && unit <= CHART('9');
}

template <class CHART>
bool IsBlankUnit(CHART unit) {
    return unit == CHART(' ') || unit == CHART('\t') || unit == CHART('\n') ||
           unit == CHART('\r') || unit == CHART('\v') || unit == CHART('\f');
}

// Reads optional white space and up to six digits from `text` at `at`;
// false (and `at` unchanged) when no digit is there.
template <class CHART>
bool ReadLeadingDecimal(const CHART* text, int length, int& at, int& value) {
    int pos = at;
    while (pos < length && IsBlankUnit(text[pos])) ++pos;
    int digits = 0;
    value = 0;
    while (pos < length && digits < kMaxDecimalDigits && IsDigitUnit(text[pos])) {
        value = value * 10 + int(text[pos] - CHART('0'));
        ++pos;
        ++digits;
    }
    if (digits == 0) return false;
    at = pos;
    return true;
}

// A whole text that reads as a decimal number: white space around it, at
// most six digits, nothing else.
template <class CHART>
bool ReadWholeDecimal(const CBufferRefT<CHART>& text, int& value) {
    int at = 0;
    if (!ReadLeadingDecimal(text.GetBuffer(), text.GetSize(), at, value)) return false;
    while (at < text.GetSize() && IsBlankUnit(text[at])) ++at;
    return at == text.GetSize();
}

}  // namespace

template <class CHART>
ElxInterface* CPatternBuilderT<CHART>::Build(const CBufferRefT<CHART>& pattern, int flags) {
    Clear();
    m_pattern = pattern;
    m_nFlags = flags;
    MoveNext();
    MoveNext();
    MoveNext();
    int topFlags = flags;
    m_pTopElx = BuildAlternative(topFlags);
    // A `)` without its `(` ends the pattern; the rest is ignored.
    Finalise();
    m_pattern = CBufferRefT<CHART>();
    return m_pTopElx;
}

template <class CHART>
ElxInterface* CPatternBuilderT<CHART>::BuildAlternative(int flags) {
    if (m_curr.IsEnd()) return GetStockElx(STOCK_EMPTY, 0);
    ElxInterface* first = BuildList(flags);
    if (!m_curr.IsSpecial(CHART('|'))) return first;
    auto* alternative = Keep<CAlternativeElxT<0>>();
    alternative->m_elxlist.Append(first);
    while (m_curr.IsSpecial(CHART('|'))) {
        MoveNext();
        alternative->m_elxlist.Append(BuildList(flags));
    }
    return alternative;
}

template <class CHART>
ElxInterface* CPatternBuilderT<CHART>::BuildList(int& flags) {
    auto atSequenceEnd = [this] {
        return m_curr.IsEnd() || m_curr.IsSpecial(CHART('|')) || m_curr.IsSpecial(CHART(')'));
    };
    if (atSequenceEnd()) return GetStockElx(STOCK_EMPTY, 0);
    ElxInterface* first = BuildRepeat(flags);
    if (atSequenceEnd()) return first;
    auto* list = Keep<CListElxT<0>>(flags & PF_RIGHT_TO_LEFT);
    list->m_elxlist.Append(first);
    while (!atSequenceEnd()) list->m_elxlist.Append(BuildRepeat(flags));
    return list;
}

template <class CHART>
ElxInterface* CPatternBuilderT<CHART>::BuildRepeat(int& flags) {
    ElxInterface* atom = BuildSimple(flags);
    if (m_curr.type != 1) return atom;

    int minimum = 0, maximum = 0;
    switch (m_curr.ch) {
        case CHART('*'):
            maximum = kUnboundedRepeat;
            MoveNext();
            break;
        case CHART('+'):
            minimum = 1;
            maximum = kUnboundedRepeat;
            MoveNext();
            break;
        case CHART('?'):
            maximum = 1;
            MoveNext();
            break;
        case CHART('{'): {
            MoveNext();
            CBufferT<char> text;
            bool ended = false;
            while (!m_curr.IsEnd() && !m_curr.IsSpecial(CHART('}'))) {
                const char unit = m_curr.ch > 255 ? '\0' : static_cast<char>(m_curr.ch);
                if (unit == '\0') ended = true;
                if (!ended) text.Append(unit);
                MoveNext();
            }
            if (m_curr.IsSpecial(CHART('}'))) MoveNext();
            int at = 0;
            const bool hasMinimum =
                ReadLeadingDecimal(text.GetBuffer(), text.GetSize(), at, minimum);
            maximum = minimum;
            if (hasMinimum) {
                while (at < text.GetSize() && IsBlankUnit(text[at])) ++at;
                if (at < text.GetSize() && text[at] == ',') {
                    ++at;
                    if (!ReadLeadingDecimal(text.GetBuffer(), text.GetSize(), at, maximum))
                        maximum = kUnboundedRepeat;
                }
            } else {
                minimum = maximum = 0;
            }
            if (maximum < minimum) maximum = minimum;
            if (maximum == 0) return GetStockElx(STOCK_EMPTY, 0);
            if (minimum == maximum) {
                if (m_curr.IsSpecial(CHART('?')) || m_curr.IsSpecial(CHART('+'))) MoveNext();
                return Keep<CRepeatElxT<0>>(atom, minimum);
            }
            break;
        }
        default:
            return atom;
    }
    if (m_curr.IsSpecial(CHART('?'))) {
        MoveNext();
        return Keep<CReluctantElxT<0>>(atom, minimum, maximum);
    }
    if (m_curr.IsSpecial(CHART('+'))) {
        MoveNext();
        return Keep<CPossessiveElxT<0>>(atom, minimum, maximum);
    }
    return Keep<CGreedyElxT<0>>(atom, minimum, maximum);
}

template <class CHART>
ElxInterface* CPatternBuilderT<CHART>::BuildSimple(int& flags) {
    // The run is never live across a nested build, so one buffer serves all.
    CBufferT<CHART>& run = m_run;
    run.Clear();
    for (;;) {
        if (m_curr.type == 0) {
            // A quantifier takes only the last character of a run.
            if (m_next.type == 1 && (m_next.ch == CHART('{') || m_next.ch == CHART('?') ||
                                     m_next.ch == CHART('*') || m_next.ch == CHART('+'))) {
                if (run.GetSize() == 0) {
                    run.Append(m_curr.ch);
                    MoveNext();
                }
                break;
            }
            run.Append(m_curr.ch);
            MoveNext();
            continue;
        }
        if (run.GetSize() > 0 || m_curr.IsEnd()) break;
        switch (m_curr.ch) {
            case CHART(')'):
            case CHART('|'):
                return GetStockElx(STOCK_EMPTY, 0);
            case CHART('('):
                return BuildRecursive(flags);
            case CHART('['):
            case CHART('.'):
            case CHART('w'):
            case CHART('W'):
            case CHART('s'):
            case CHART('S'):
            case CHART('d'):
            case CHART('D'):
                return BuildCharset(flags);
            case CHART('^'):
            case CHART('$'):
            case CHART('A'):
            case CHART('Z'):
            case CHART('z'):
            case CHART('b'):
            case CHART('B'):
            case CHART('G'):
                return BuildBoundary(flags);
            case CHART('\\'):
            case CHART('k'):
            case CHART('g'):
                return BuildBackref(flags);
            default:
                // A quantifier or brace with nothing before it is a literal.
                run.Append(m_curr.ch);
                MoveNext();
                break;
        }
    }
    if (run.GetSize() == 0) return GetStockElx(STOCK_EMPTY, 0);
    return Keep<CStringElxT<CHART>>(run.GetBuffer(), run.GetSize(), flags & PF_RIGHT_TO_LEFT,
                                    flags & PF_NO_CASE);
}

template <class CHART>
ElxInterface* CPatternBuilderT<CHART>::BuildCharset(int& flags) {
    const int rightleft = (flags & PF_RIGHT_TO_LEFT) ? 1 : 0;
    const CHART kind = m_curr.ch;
    if (kind != CHART('[')) {
        MoveNext();
        switch (kind) {
            case CHART('.'):
                return GetStockElx((flags & PF_DOT_ALL) ? STOCK_ANY : STOCK_DOT, rightleft);
            case CHART('w'):
                return GetStockElx(STOCK_WORD, rightleft);
            case CHART('W'):
                return GetStockElx(STOCK_NOT_WORD, rightleft);
            case CHART('s'):
                return GetStockElx(STOCK_SPACE, rightleft);
            case CHART('S'):
                return GetStockElx(STOCK_NOT_SPACE, rightleft);
            case CHART('d'):
                return GetStockElx(STOCK_DIGIT, rightleft);
            default:
                return GetStockElx(STOCK_NOT_DIGIT, rightleft);
        }
    }
    if (m_next.IsSpecial(CHART(':'))) return BuildPosix(flags);

    MoveNext();
    auto* set = Keep<CRangeElxT<CHART>>(rightleft, 1);
    if (m_curr.IsSpecial(CHART('^'))) {
        set->m_byinclude = 0;
        MoveNext();
    }
    while (!m_curr.IsEnd() && !m_curr.IsSpecial(CHART(']'))) {
        const bool posix = m_curr.IsSpecial(CHART('[')) && m_next.IsSpecial(CHART(':'));
        const bool classEscape =
            m_curr.type == 1 &&
            (m_curr.ch == CHART('w') || m_curr.ch == CHART('W') || m_curr.ch == CHART('s') ||
             m_curr.ch == CHART('S') || m_curr.ch == CHART('d') || m_curr.ch == CHART('D'));
        if (posix || classEscape) {
            set->m_embeds.Append(BuildCharset(flags));
        } else if (m_next.IsSpecial(CHART('-')) && m_nex2.type == 0) {
            set->m_ranges.Append(m_curr.ch);
            set->m_ranges.Append(m_nex2.ch);
            MoveNext();
            MoveNext();
            MoveNext();
        } else {
            set->m_chars.Append(m_curr.ch);
            MoveNext();
        }
    }
    if (m_curr.IsSpecial(CHART(']'))) MoveNext();
    if (flags & PF_NO_CASE) set->WidenForNoCase();
    set->Finish();
    return set;
}

template <class CHART>
ElxInterface* CPatternBuilderT<CHART>::BuildPosix(int& flags) {
    MoveNext();  // to the ':'
    CBufferT<char> text;
    bool ended = false;
    while (!m_curr.IsEnd() && !m_curr.IsSpecial(CHART(']'))) {
        const char unit = m_curr.ch > 255 ? '\0' : static_cast<char>(m_curr.ch);
        if (unit == '\0') ended = true;
        if (!ended) text.Append(unit);
        MoveNext();
    }
    if (m_curr.IsSpecial(CHART(']'))) MoveNext();
    // text is ":name:" or ":^name:"
    const char* name = text.GetSize() > 0 ? text.GetBuffer() + 1 : "";
    const bool negated = *name == '^';
    if (negated) ++name;
    return Keep<CPosixElxT<CHART>>(FindPosixClass(name), (flags & PF_RIGHT_TO_LEFT) ? 1 : 0,
                                   negated ? 0 : 1);
}

template <class CHART>
ElxInterface* CPatternBuilderT<CHART>::BuildBoundary(int& flags) {
    const CHART kind = m_curr.ch;
    MoveNext();
    const bool multiline = (flags & PF_MULTI_LINE) != 0;
    switch (kind) {
        case CHART('^'):
            return Keep<CBoundaryElxT<CHART>>(multiline ? BOUNDARY_LINE_BEGIN : BOUNDARY_FILE_BEGIN,
                                              1);
        case CHART('$'):
            return Keep<CBoundaryElxT<CHART>>(multiline ? BOUNDARY_LINE_END : BOUNDARY_FILE_END, 1);
        case CHART('A'):
            return Keep<CBoundaryElxT<CHART>>(BOUNDARY_FILE_BEGIN, 1);
        case CHART('Z'):
            return Keep<CBoundaryElxT<CHART>>(BOUNDARY_FILE_END_N, 1);
        case CHART('z'):
            return Keep<CBoundaryElxT<CHART>>(BOUNDARY_FILE_END, 1);
        case CHART('b'):
            return Keep<CBoundaryElxT<CHART>>(BOUNDARY_WORD_EDGE, 1);
        case CHART('B'):
            return Keep<CBoundaryElxT<CHART>>(BOUNDARY_WORD_EDGE, 0);
        default:  // \G
            if (flags & PF_GLOBAL) return Keep<CGlobalElxT<0>>();
            return GetStockElx(STOCK_EMPTY, 0);
    }
}

template <class CHART>
ElxInterface* CPatternBuilderT<CHART>::BuildBackref(int& flags) {
    const CHART kind = m_curr.ch;
    MoveNext();
    auto readDigits = [this] {
        int number = 0;
        for (int digits = 0; digits < 3 && m_curr.type == 0 && IsDigitUnit(m_curr.ch); ++digits) {
            number = number * 10 + int(m_curr.ch - CHART('0'));
            MoveNext();
        }
        return number;
    };
    auto* backref = Keep<CBackrefElxT<CHART>>(0, (flags & PF_RIGHT_TO_LEFT) ? 1 : 0,
                                              (flags & PF_NO_CASE) ? 1 : 0);
    if (kind == CHART('\\')) {
        backref->m_nnumber = readDigits();
    } else if (m_curr.type == 0 && (m_curr.ch == CHART('<') || m_curr.ch == CHART('\''))) {
        const CHART closer = m_curr.ch == CHART('<') ? CHART('>') : CHART('\'');
        MoveNext();
        CBufferT<CHART> name;
        ReadName(closer, name);
        int number = 0;
        if (ReadWholeDecimal(CBufferRefT<CHART>(name.GetBuffer(), name.GetSize()), number)) {
            backref->m_nnumber = number;
        } else {
            backref->m_nnumber = -1;
            backref->m_szNamed = std::move(name);
            m_namedbackreflist.Append(backref);
        }
    } else if (m_curr.type == 0 && IsDigitUnit(m_curr.ch)) {
        backref->m_nnumber = readDigits();
    }
    return backref;
}

// Collects token characters up to `closer` (consumed) or the end.
template <class CHART>
void CPatternBuilderT<CHART>::ReadName(CHART closer, CBufferT<CHART>& name) {
    while (!m_curr.IsEnd() && m_curr.ch != closer) {
        name.Append(m_curr.ch);
        MoveNext();
    }
    if (!m_curr.IsEnd()) MoveNext();
}

template <class CHART>
void CPatternBuilderT<CHART>::SkipSpaceTokens() {
    while (m_curr.type == 0 && IsBlankUnit(m_curr.ch)) MoveNext();
}

template <class CHART>
CListElxT<0>* CPatternBuilderT<CHART>::MakeGroup(ElxInterface* body, int number, int flags) {
    const int rightleft = (flags & PF_RIGHT_TO_LEFT) ? 1 : 0;
    auto* opening = Keep<CBracketElxT<CHART>>(number, 0);
    auto* closing = Keep<CBracketElxT<CHART>>(number, 1);
    auto* group = Keep<CListElxT<0>>(rightleft);
    // Right to left, the list is walked backwards: the bracket at the group's
    // right edge is reached first and opens the capture.
    group->m_elxlist.Append(rightleft ? static_cast<ElxInterface*>(closing) : opening);
    group->m_elxlist.Append(body);
    group->m_elxlist.Append(rightleft ? static_cast<ElxInterface*>(opening) : closing);
    return group;
}

// After a `(`: a capturing group, or one of the (? forms.
template <class CHART>
ElxInterface* CPatternBuilderT<CHART>::BuildRecursive(int& flags) {
    if (++m_nNestingDepth > kMaxNestingDepth) {
        // Too deep to follow: stop reading; the pattern will match nothing.
        m_bTooDeep = true;
        m_nNextPos = m_pattern.GetSize();
        m_curr = m_next = m_nex2 = Token{CHART(0), 1, m_pattern.GetSize(), 0};
        --m_nNestingDepth;
        return GetStockElx(STOCK_EMPTY, 0);
    }
    MoveNext();  // past '('
    ElxInterface* element;
    if (m_curr.IsSpecial(CHART('?'))) {
        MoveNext();
        element = BuildGroup(flags);
    } else {
        // Numbered at its opening parenthesis, before any group inside it.
        const int number = ++m_nMaxNumber;
        ElxInterface* body = BuildAlternative(flags);
        CListElxT<0>* group = MakeGroup(body, number, flags);
        m_grouplist.Prepare(number, nullptr);
        m_grouplist[number] = group;
        element = group;
    }
    if (m_curr.IsSpecial(CHART(')'))) MoveNext();
    --m_nNestingDepth;
    return element;
}

// The (? forms; the current token follows the `?`. The caller consumes the
// closing `)`.
template <class CHART>
ElxInterface* CPatternBuilderT<CHART>::BuildGroup(int& flags) {
    const bool literal = m_curr.type == 0;
    const CHART unit = m_curr.ch;
    if (literal && (unit == CHART('=') || unit == CHART('!'))) {
        MoveNext();
        ElxInterface* body = BuildAlternative(flags & ~PF_RIGHT_TO_LEFT);
        return Keep<CAssertElxT<0>>(body, unit == CHART('=') ? 1 : 0);
    }
    if (literal && unit == CHART('<')) {
        if (m_next.type == 0 && (m_next.ch == CHART('=') || m_next.ch == CHART('!'))) {
            const int positive = m_next.ch == CHART('=') ? 1 : 0;
            MoveNext();
            MoveNext();
            ElxInterface* body = BuildAlternative(flags | PF_RIGHT_TO_LEFT);
            return Keep<CAssertElxT<0>>(body, positive, 1);
        }
        MoveNext();
        return BuildNamedGroup(flags, CHART('>'));
    }
    if (literal && unit == CHART('\'')) {
        MoveNext();
        return BuildNamedGroup(flags, CHART('\''));
    }
    if (literal && unit == CHART('P')) {
        MoveNext();
        const CHART closer = m_curr.ch == CHART('\'') ? CHART('\'') : CHART('>');
        if (!m_curr.IsEnd()) MoveNext();
        return BuildNamedGroup(flags, closer);
    }
    if (literal && unit == CHART('>')) {
        MoveNext();
        return Keep<CIndependentElxT<0>>(BuildAlternative(flags));
    }
    if (literal && unit == CHART('R')) return BuildRecursion(flags);
    if (m_curr.IsSpecial(CHART('('))) return BuildCondition(flags);
    SkipSpaceTokens();
    if (m_curr.type == 0 && IsDigitUnit(m_curr.ch)) return BuildRecursion(flags);
    return BuildModifiers(flags);
}

template <class CHART>
ElxInterface* CPatternBuilderT<CHART>::BuildNamedGroup(int& flags, CHART closer) {
    CBufferT<CHART> name;
    ReadName(closer, name);
    ElxInterface* body = BuildAlternative(flags);
    int number = -1;
    const bool explicitNumber =
        ReadWholeDecimal(CBufferRefT<CHART>(name.GetBuffer(), name.GetSize()), number);
    CListElxT<0>* group = MakeGroup(body, explicitNumber ? number : -1, flags);
    if (!explicitNumber) {
        auto* opening =
            static_cast<CBracketElxT<CHART>*>(group->m_elxlist[(flags & PF_RIGHT_TO_LEFT) ? 2 : 0]);
        opening->m_szNamed = std::move(name);
    }
    m_namedlist.Append(group);
    m_namedexplicit.Append(explicitNumber ? 1 : 0);
    return group;
}

// (?R), (?R<name>), (?R'name'), (?R2) or (?2); the current token is the R or
// the first digit.
template <class CHART>
ElxInterface* CPatternBuilderT<CHART>::BuildRecursion(int& /*flags*/) {
    if (m_curr.ch == CHART('R')) {
        MoveNext();
        SkipSpaceTokens();
    }
    auto* delegate = Keep<CDelegateElxT<CHART>>(0);
    m_recursivelist.Append(delegate);
    if (m_curr.type == 0 && (m_curr.ch == CHART('<') || m_curr.ch == CHART('\''))) {
        const CHART closer = m_curr.ch == CHART('<') ? CHART('>') : CHART('\'');
        MoveNext();
        CBufferT<CHART> name;
        ReadName(closer, name);
        int number = 0;
        if (ReadWholeDecimal(CBufferRefT<CHART>(name.GetBuffer(), name.GetSize()), number)) {
            delegate->m_ndata = number;
        } else {
            delegate->m_ndata = -3;
            delegate->m_szNamed = std::move(name);
        }
        return delegate;
    }
    CBufferT<CHART> text;
    while (!m_curr.IsEnd() && !m_curr.IsSpecial(CHART(')'))) {
        text.Append(m_curr.ch);
        MoveNext();
    }
    int at = 0, number = 0;
    if (ReadLeadingDecimal(text.GetBuffer(), text.GetSize(), at, number))
        delegate->m_ndata = number;
    return delegate;
}

// (?(cond)yes|no); the current token is the condition's `(`.
template <class CHART>
ElxInterface* CPatternBuilderT<CHART>::BuildCondition(int& flags) {
    auto* condition = Keep<CConditionElxT<CHART>>();
    if (m_next.IsSpecial(CHART('?'))) {
        int askFlags = flags;
        condition->m_pelxask = BuildRecursive(askFlags);
    } else {
        MoveNext();
        const int start = m_curr.pos;
        ElxInterface* body = BuildAlternative(flags & ~PF_RIGHT_TO_LEFT);
        const int end = m_curr.pos;
        if (m_curr.IsSpecial(CHART(')'))) MoveNext();
        if (end > start) condition->m_szNamed.Append(m_pattern.GetBuffer() + start, end - start);
        int number = 0;
        if (ReadWholeDecimal(CBufferRefT<CHART>(condition->m_szNamed.GetBuffer(),
                                                condition->m_szNamed.GetSize()),
                             number)) {
            condition->m_nnumber = number;
        } else {
            condition->m_pelxask = Keep<CAssertElxT<0>>(body, 1);
            m_namedconditionlist.Append(condition);
        }
    }
    int yesFlags = flags;
    condition->m_pelxyes = BuildList(yesFlags);
    if (m_curr.IsSpecial(CHART('|'))) {
        MoveNext();
        condition->m_pelxno = BuildAlternative(flags);
    }
    return condition;
}

// Inline modifiers: (?imsg-imsg), (?imsg-imsg:...) or (?imsg-imsg(...)...).
template <class CHART>
ElxInterface* CPatternBuilderT<CHART>::BuildModifiers(int& flags) {
    int changed = flags;
    bool clearing = false;
    while (!m_curr.IsEnd() && m_curr.ch != CHART(':') && !m_curr.IsSpecial(CHART(')')) &&
           !m_curr.IsSpecial(CHART('('))) {
        int mask = 0;
        switch (m_curr.ch) {
            case CHART('-'):
                clearing = true;
                break;
            case CHART('i'):
            case CHART('I'):
                mask = PF_NO_CASE;
                break;
            case CHART('m'):
            case CHART('M'):
                mask = PF_MULTI_LINE;
                break;
            case CHART('s'):
            case CHART('S'):
                mask = PF_DOT_ALL;
                break;
            case CHART('g'):
            case CHART('G'):
                mask = PF_GLOBAL;
                break;
            default:
                break;
        }
        changed = clearing ? (changed & ~mask) : (changed | mask);
        MoveNext();
    }
    if (m_curr.ch == CHART(':') && !m_curr.IsEnd()) {
        MoveNext();
        return BuildAlternative(changed);
    }
    if (m_curr.IsSpecial(CHART('('))) return BuildAlternative(changed);
    flags = changed;
    return GetStockElx(STOCK_EMPTY, 0);
}

template class CPatternBuilderT<char16_t>;

}  // namespace qx::pattern
