// The builder's bookkeeping: shared stock elements, resolving group names and
// numbers once the whole pattern is read, and freeing the tree.
#include "pattern_builder.h"

namespace qx::pattern {

template <class CHART>
void CPatternBuilderT<CHART>::Clear() {
    for (int i = 0; i < m_objlist.GetSize(); ++i) delete m_objlist[i];
    m_objlist.Clear();
    m_grouplist.Clear();
    m_namedlist.Clear();
    m_namedexplicit.Clear();
    m_recursivelist.Clear();
    m_namedbackreflist.Clear();
    m_namedconditionlist.Clear();
    for (auto& kind : m_pStockElxs) kind[0] = kind[1] = nullptr;
    m_pTopElx = nullptr;
    m_nMaxNumber = 0;
    m_nNextPos = 0;
    m_nCharsetDepth = 0;
    m_nNestingDepth = 0;
    m_bTooDeep = false;
    m_bQuoted = false;
    m_quoteCase = 0;
    m_prev = m_curr = m_next = m_nex2 = Token{};
}

template <class CHART>
ElxInterface* CPatternBuilderT<CHART>::GetStockElx(int kind, int rightleft) {
    if (kind == STOCK_EMPTY) rightleft = 0;  // one instance serves both directions
    ElxInterface*& cached = m_pStockElxs[kind][rightleft ? 1 : 0];
    if (cached != nullptr) return cached;
    if (kind == STOCK_EMPTY) return cached = Keep<CEmptyElxT<0>>();

    const bool negated = kind == STOCK_ANY || kind == STOCK_DOT || kind == STOCK_NOT_WORD ||
                         kind == STOCK_NOT_SPACE || kind == STOCK_NOT_DIGIT;
    auto* set = Keep<CRangeElxT<CHART>>(rightleft, negated ? 0 : 1);
    auto addRange = [set](char low, char high) {
        set->m_ranges.Append(CHART(low));
        set->m_ranges.Append(CHART(high));
    };
    switch (kind) {
        case STOCK_DOT:
            set->m_chars.Append(CHART('\n'));
            break;
        case STOCK_WORD:
        case STOCK_NOT_WORD:
            addRange('A', 'Z');
            addRange('a', 'z');
            addRange('0', '9');
            set->m_chars.Append(CHART('_'));
            break;
        case STOCK_SPACE:
        case STOCK_NOT_SPACE:
            for (char unit : {' ', '\t', '\r', '\n'}) set->m_chars.Append(CHART(unit));
            // Right to left, \s also takes form feed and vertical tab.
            if (rightleft)
                for (char unit : {'\f', '\v'}) set->m_chars.Append(CHART(unit));
            break;
        case STOCK_DIGIT:
        case STOCK_NOT_DIGIT:
            addRange('0', '9');
            break;
        default:  // STOCK_ANY: the negated empty set
            break;
    }
    set->Finish();
    return cached = set;
}

template <class CHART>
int CPatternBuilderT<CHART>::GroupNumber(const CListElxT<0>* group) {
    return static_cast<const CBracketElxT<CHART>*>(group->m_elxlist[0])->m_nnumber;
}

template <class CHART>
void CPatternBuilderT<CHART>::SetGroupNumber(CListElxT<0>* group, int number) {
    static_cast<CBracketElxT<CHART>*>(group->m_elxlist[0])->m_nnumber = number;
    static_cast<CBracketElxT<CHART>*>(group->m_elxlist[2])->m_nnumber = number;
}

template <class CHART>
static const CBufferT<CHART>& GroupName(const CListElxT<0>* group) {
    // The opening bracket holds the name: first left to right, last right to left.
    const int opening = group->m_brightleft ? 2 : 0;
    return static_cast<const CBracketElxT<CHART>*>(group->m_elxlist[opening])->m_szNamed;
}

// The number of the first named group called `name` (ASCII case ignored), or -3.
template <class CHART>
int CPatternBuilderT<CHART>::NamedNumber(const CBufferRefT<CHART>& name) const {
    for (int i = 0; i < m_namedlist.GetSize(); ++i) {
        if (m_namedexplicit[i]) continue;
        const CBufferT<CHART>& candidate = GroupName<CHART>(m_namedlist[i]);
        if (CBufferRefT<CHART>(candidate.GetBuffer(), candidate.GetSize()).EqualsNoCase(name))
            return GroupNumber(m_namedlist[i]);
    }
    return -3;
}

template <class CHART>
void CPatternBuilderT<CHART>::Finalise() {
    if (m_bTooDeep) {
        m_pTopElx = nullptr;
        return;
    }
    m_grouplist.Prepare(m_nMaxNumber, nullptr);
    m_grouplist[0] = m_pTopElx;

    for (int i = 0; i < m_namedlist.GetSize(); ++i) {
        CListElxT<0>* group = m_namedlist[i];
        if (!m_namedexplicit[i]) {
            const CBufferT<CHART>& name = GroupName<CHART>(group);
            const CBufferRefT<CHART> nameRef(name.GetBuffer(), name.GetSize());
            int number = -1;
            for (int j = 0; j < i && number < 0; ++j) {
                if (m_namedexplicit[j]) continue;
                const CBufferT<CHART>& other = GroupName<CHART>(m_namedlist[j]);
                if (CBufferRefT<CHART>(other.GetBuffer(), other.GetSize()).EqualsNoCase(nameRef))
                    number = GroupNumber(m_namedlist[j]);
            }
            SetGroupNumber(group, number >= 0 ? number : ++m_nMaxNumber);
        }
        m_grouplist.Append(group);
    }
    for (int i = 0; i < m_namedlist.GetSize(); ++i)
        if (GroupNumber(m_namedlist[i]) > m_nMaxNumber) m_nMaxNumber = GroupNumber(m_namedlist[i]);

    for (int i = 0; i < m_recursivelist.GetSize(); ++i) {
        CDelegateElxT<CHART>* delegate = m_recursivelist[i];
        if (delegate->m_ndata == -3)
            delegate->m_ndata = NamedNumber(
                CBufferRefT<CHART>(delegate->m_szNamed.GetBuffer(), delegate->m_szNamed.GetSize()));
        const int number = delegate->m_ndata;
        delegate->m_pelx = nullptr;
        if (number == 0) {
            delegate->m_pelx = m_pTopElx;
        } else if (number > 0 && number <= m_nMaxNumber) {
            for (int g = 1; g < m_grouplist.GetSize() && delegate->m_pelx == nullptr; ++g) {
                auto* group = static_cast<CListElxT<0>*>(m_grouplist[g]);
                if (group != nullptr && GroupNumber(group) == number) delegate->m_pelx = group;
            }
        }
    }
    for (int i = 0; i < m_namedbackreflist.GetSize(); ++i) {
        CBackrefElxT<CHART>* backref = m_namedbackreflist[i];
        backref->m_nnumber = NamedNumber(
            CBufferRefT<CHART>(backref->m_szNamed.GetBuffer(), backref->m_szNamed.GetSize()));
    }
    for (int i = 0; i < m_namedconditionlist.GetSize(); ++i) {
        CConditionElxT<CHART>* condition = m_namedconditionlist[i];
        const int number = NamedNumber(
            CBufferRefT<CHART>(condition->m_szNamed.GetBuffer(), condition->m_szNamed.GetSize()));
        if (number >= 0) {
            condition->m_nnumber = number;
            condition->m_pelxask = nullptr;
        }
    }
}

template void CPatternBuilderT<char16_t>::Clear();
template ElxInterface* CPatternBuilderT<char16_t>::GetStockElx(int, int);
template int CPatternBuilderT<char16_t>::GroupNumber(const CListElxT<0>*);
template void CPatternBuilderT<char16_t>::SetGroupNumber(CListElxT<0>*, int);
template int CPatternBuilderT<char16_t>::NamedNumber(const CBufferRefT<char16_t>&) const;
template void CPatternBuilderT<char16_t>::Finalise();

}  // namespace qx::pattern
