// The builder's tokenizer: turns pattern units into literal and special
// tokens. Whether a unit is special depends on the set context (inside
// brackets or not), on the two tokens produced just before it, and on
// quoting (\Q, \L, \U up to \E).
#include "pattern_builder.h"
#include "pattern_flags.h"

namespace qx::pattern {
namespace {

template <class CHART>
int HexValue(CHART unit) {
    if (unit >= CHART('0') && unit <= CHART('9')) return int(unit - CHART('0'));
    if (unit >= CHART('a') && unit <= CHART('f')) return int(unit - CHART('a')) + 10;
    if (unit >= CHART('A') && unit <= CHART('F')) return int(unit - CHART('A')) + 10;
    return -1;
}

template <class CHART>
bool IsFreeSpace(CHART unit) {
    return unit == CHART(' ') || unit == CHART('\t') || unit == CHART('\n') ||
           unit == CHART('\r') || unit == CHART('\v') || unit == CHART('\f');
}

}  // namespace

template <class CHART>
void CPatternBuilderT<CHART>::MoveNext() {
    m_prev = m_curr;
    m_curr = m_next;
    m_next = m_nex2;
    m_nex2 = Tokenize();
}

template <class CHART>
typename CPatternBuilderT<CHART>::Token CPatternBuilderT<CHART>::Tokenize() {
    Token token;
    while (!TokenizeOne(token)) {
    }
    return token;
}

// One step of the tokenizer; false when the step produced no token (quoting
// switches, comments, skipped white space, \G inside a set).
template <class CHART>
bool CPatternBuilderT<CHART>::TokenizeOne(Token& token) {
    const int length = m_pattern.GetSize();
    const int pos = m_nNextPos;
    if (pos >= length) {
        token = Token{CHART(0), 1, length, 0};
        return true;
    }
    const CHART unit = m_pattern[pos];
    if (m_bQuoted) {
        if (unit == CHART('\\') && pos + 1 < length && m_pattern[pos + 1] == CHART('E')) {
            m_bQuoted = false;
            m_quoteCase = 0;
            m_nNextPos = pos + 2;
            return false;
        }
        CHART cased = unit;
        if (m_quoteCase == 1 && unit >= CHART('A') && unit <= CHART('Z'))
            cased = CHART(unit + ('a' - 'A'));
        if (m_quoteCase == 2 && unit >= CHART('a') && unit <= CHART('z'))
            cased = CHART(unit - ('a' - 'A'));
        token = Token{cased, 0, pos, 1};
        m_nNextPos = pos + 1;
        return true;
    }
    if (unit == CHART('\\')) return TokenizeEscape(token);

    const bool inSet = m_nCharsetDepth > 0;
    token = Token{unit, 0, pos, 1};
    m_nNextPos = pos + 1;
    switch (unit) {
        case CHART('*'):
        case CHART('+'):
        case CHART('?'):
        case CHART('.'):
        case CHART('{'):
        case CHART('}'):
        case CHART(')'):
        case CHART('|'):
        case CHART('$'):
            token.type = inSet ? 0 : 1;
            return true;
        case CHART('-'):
            token.type = inSet ? 1 : 0;
            return true;
        case CHART('('):
            if (PatternAt(pos + 1) == CHART('?') && PatternAt(pos + 2) == CHART('#') &&
                pos + 2 < length) {
                int end = pos + 3;
                while (end < length && m_pattern[end] != CHART(')')) ++end;
                m_nNextPos = end < length ? end + 1 : length;
                return false;
            }
            token.type = inSet ? 0 : 1;
            return true;
        case CHART('['):
            if (!inSet || (PatternAt(pos + 1) == CHART(':') && pos + 1 < length)) {
                token.type = 1;
                ++m_nCharsetDepth;
            }
            return true;
        case CHART(']'):
            if (inSet) {
                token.type = 1;
                --m_nCharsetDepth;
            }
            return true;
        case CHART(':'):
            // m_next is the token produced just before this one.
            if (m_next.IsSpecial(CHART('['))) token.type = 1;
            return true;
        case CHART('^'):
            if (!inSet || m_next.IsSpecial(CHART('[')) ||
                (m_next.IsSpecial(CHART(':')) && m_curr.IsSpecial(CHART('['))))
                token.type = 1;
            return true;
        default:
            break;
    }
    if ((m_nFlags & PF_FREE_SPACING) != 0) {
        if (unit == CHART('#')) {
            int end = pos + 1;
            while (end < length && m_pattern[end] != CHART('\r') && m_pattern[end] != CHART('\n'))
                ++end;
            m_nNextPos = end;
            return false;
        }
        if (IsFreeSpace(unit)) return false;
    }
    return true;
}

template <class CHART>
bool CPatternBuilderT<CHART>::TokenizeEscape(Token& token) {
    const int length = m_pattern.GetSize();
    const int pos = m_nNextPos;
    if (pos + 1 >= length) {
        token = Token{CHART('\\'), 0, pos, 1};
        m_nNextPos = pos + 1;
        return true;
    }
    const CHART unit = m_pattern[pos + 1];
    if (unit >= CHART('0') && unit <= CHART('9')) {
        // A backreference: its digits follow as literal tokens.
        token = Token{CHART('\\'), 1, pos, 1};
        m_nNextPos = pos + 1;
        return true;
    }
    token = Token{unit, 0, pos, 2};
    m_nNextPos = pos + 2;
    switch (unit) {
        case CHART('A'):
        case CHART('Z'):
        case CHART('z'):
        case CHART('w'):
        case CHART('W'):
        case CHART('s'):
        case CHART('S'):
        case CHART('B'):
        case CHART('d'):
        case CHART('D'):
        case CHART('k'):
        case CHART('g'):
            token.type = 1;
            return true;
        case CHART('G'):
            if (m_nCharsetDepth > 0) return false;
            token.type = 1;
            return true;
        case CHART('b'):
            if (m_nCharsetDepth > 0)
                token.ch = CHART(8);
            else
                token.type = 1;
            return true;
        case CHART('Q'):
            m_bQuoted = true;
            return false;
        case CHART('L'):
            m_bQuoted = true;
            if (m_quoteCase == 0) m_quoteCase = 1;
            return false;
        case CHART('U'):
            m_bQuoted = true;
            if (m_quoteCase == 0) m_quoteCase = 2;
            return false;
        case CHART('E'):
            m_bQuoted = false;
            m_quoteCase = 0;
            return false;
        case CHART('t'):
            token.ch = CHART(9);
            return true;
        case CHART('f'):
            token.ch = CHART(12);
            return true;
        case CHART('n'):
            token.ch = CHART(10);
            return true;
        case CHART('r'):
            token.ch = CHART(13);
            return true;
        case CHART('a'):
            token.ch = CHART(7);
            return true;
        case CHART('e'):
            token.ch = CHART(27);
            return true;
        case CHART('v'):
            token.ch = CHART(11);
            return true;
        case CHART('x'):
        case CHART('u'): {
            const int shortDigits = unit == CHART('x') ? 2 : 4;
            unsigned long value = 0;
            int digits = 0;
            if (PatternAt(pos + 2) == CHART('{') && pos + 2 < length) {
                int at = pos + 3;
                for (; digits < 8 && at < length && HexValue(m_pattern[at]) >= 0; ++digits, ++at)
                    value = value * 16 + static_cast<unsigned long>(HexValue(m_pattern[at]));
                if (digits == 0) return true;  // the letter itself
                while (at < length && m_pattern[at] != CHART('}')) ++at;
                m_nNextPos = at < length ? at + 1 : length;
            } else {
                int at = pos + 2;
                for (; digits < shortDigits && at < length && HexValue(m_pattern[at]) >= 0;
                     ++digits, ++at)
                    value = value * 16 + static_cast<unsigned long>(HexValue(m_pattern[at]));
                if (digits == 0) return true;
                m_nNextPos = at;
            }
            token.ch = CHART(value & 0xffff);
            token.len = m_nNextPos - pos;
            return true;
        }
        default:
            return true;  // the escaped unit itself, NUL included
    }
}

// The rest of the builder is instantiated with the grammar.
template void CPatternBuilderT<char16_t>::MoveNext();
template PatternToken<char16_t> CPatternBuilderT<char16_t>::Tokenize();
template bool CPatternBuilderT<char16_t>::TokenizeOne(Token&);
template bool CPatternBuilderT<char16_t>::TokenizeEscape(Token&);

}  // namespace qx::pattern
