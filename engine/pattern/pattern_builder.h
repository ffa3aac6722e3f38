// Compiles a pattern into a tree of elements. A tokenizer turns the pattern's
// units into literal and special tokens (escapes, quoting, comments, set
// context); a recursive-descent builder reads them through a window of four
// tokens and owns every element it creates. Compilation never fails: every
// malformed pattern has a lenient reading.
#pragma once

#include <utility>

#include "pattern_buffer.h"
#include "pattern_elements.h"

namespace qx::pattern {

template <class CHART>
struct PatternToken {
    CHART ch = 0;
    int type = 0;  // 0 literal character, 1 special
    int pos = 0;   // in pattern units
    int len = 0;

    bool IsSpecial(CHART c) const { return type == 1 && ch == c; }
    bool IsEnd() const { return type == 1 && ch == 0 && len == 0; }
};

// Kinds of the shared stock elements, one instance per kind and direction.
enum StockKind : int {
    STOCK_EMPTY,
    STOCK_ANY,  // `.` with PF_DOT_ALL
    STOCK_DOT,
    STOCK_WORD,
    STOCK_NOT_WORD,
    STOCK_SPACE,
    STOCK_NOT_SPACE,
    STOCK_DIGIT,
    STOCK_NOT_DIGIT,
    STOCK_KIND_COUNT,
};

template <class CHART>
class CPatternBuilderT {
    static_assert(sizeof(CHART) == 2, "patterns and texts are 16-bit units");

  public:
    using Token = PatternToken<CHART>;

    CPatternBuilderT() = default;
    ~CPatternBuilderT() { Clear(); }
    CPatternBuilderT(const CPatternBuilderT&) = delete;
    CPatternBuilderT& operator=(const CPatternBuilderT&) = delete;

    // Deletes the previous tree, builds a new one and returns its top element
    // (none for a pattern nested deeper than kMaxNestingDepth).
    ElxInterface* Build(const CBufferRefT<CHART>& pattern, int flags);
    // Deletes every element and empties the lists.
    void Clear();

    // Every element of the tree, in order of creation.
    const CBufferT<ElxInterface*>& Elements() const { return m_objlist; }

    ElxInterface* m_pTopElx = nullptr;
    int m_nFlags = 0;
    int m_nMaxNumber = 0;

    // Entry 0 is the top element, entry n the unnamed group n; named groups
    // follow in order of appearance.
    CBufferT<ElxInterface*> m_grouplist;
    // Named groups, and groups whose name is a decimal number (explicit: 1).
    CBufferT<CListElxT<0>*> m_namedlist;
    CBufferT<int> m_namedexplicit;

  private:
    // Creates an element owned by the builder. The slot exists before the
    // element does, so no element is ever lost.
    template <class T, class... Args>
    T* Keep(Args&&... args) {
        m_objlist.Append(nullptr);
        T* element = new T(std::forward<Args>(args)...);
        m_objlist[m_objlist.GetSize() - 1] = element;
        return element;
    }
    ElxInterface* GetStockElx(int kind, int rightleft);

    // Tokenizer.
    void MoveNext();
    Token Tokenize();
    bool TokenizeOne(Token& token);
    bool TokenizeEscape(Token& token);
    CHART PatternAt(int pos) const {
        return pos >= 0 && pos < m_pattern.GetSize() ? m_pattern[pos] : CHART(0);
    }

    // Grammar.
    ElxInterface* BuildAlternative(int flags);
    ElxInterface* BuildList(int& flags);
    ElxInterface* BuildRepeat(int& flags);
    ElxInterface* BuildSimple(int& flags);
    ElxInterface* BuildCharset(int& flags);
    ElxInterface* BuildPosix(int& flags);
    ElxInterface* BuildBoundary(int& flags);
    ElxInterface* BuildBackref(int& flags);
    ElxInterface* BuildRecursive(int& flags);
    ElxInterface* BuildGroup(int& flags);
    ElxInterface* BuildNamedGroup(int& flags, CHART closer);
    ElxInterface* BuildCondition(int& flags);
    ElxInterface* BuildRecursion(int& flags);
    ElxInterface* BuildModifiers(int& flags);
    CListElxT<0>* MakeGroup(ElxInterface* body, int number, int flags);

    void ReadName(CHART closer, CBufferT<CHART>& name);
    void SkipSpaceTokens();
    void FinishSet(CRangeElxT<CHART>* set, int flags);
    void Finalise();
    int NamedNumber(const CBufferRefT<CHART>& name) const;
    static int GroupNumber(const CListElxT<0>* group);
    static void SetGroupNumber(CListElxT<0>* group, int number);

    CBufferRefT<CHART> m_pattern;
    int m_nNextPos = 0;
    int m_nCharsetDepth = 0;
    int m_nNestingDepth = 0;
    bool m_bTooDeep = false;
    int m_nNextNamed = 0;
    bool m_bQuoted = false;
    int m_quoteCase = 0;  // 0 none, 1 lower, 2 upper

    Token m_prev, m_curr, m_next, m_nex2;

    CBufferT<ElxInterface*> m_objlist;
    CBufferT<CHART> m_run;  // literal characters collected by BuildSimple
    CBufferT<CDelegateElxT<CHART>*> m_recursivelist;
    CBufferT<CBackrefElxT<CHART>*> m_namedbackreflist;
    CBufferT<CConditionElxT<CHART>*> m_namedconditionlist;
    ElxInterface* m_pStockElxs[STOCK_KIND_COUNT][2] = {};
};

}  // namespace qx::pattern
