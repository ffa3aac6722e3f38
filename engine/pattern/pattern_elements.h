// The elements a compiled pattern is made of. Each one matches a piece of text
// in two steps: MatchFirst tries its first way at the current position and
// MatchAgain undoes its latest way and tries the next one. Whatever MatchAgain
// needs goes onto the context's backtrack stack, never into the element, so a
// compiled tree stays read-only while it is searched.
//
// Elements that read characters are templates over the character type; the
// structural ones are templates over a dummy int and used as <0>.
#pragma once

#include <typeinfo>

#include "pattern_buffer.h"
#include "pattern_context.h"

namespace qx::pattern {

class ElxInterface {
  public:
    virtual int MatchFirst(CMatchContext* pContext) const = 0;
    virtual int MatchAgain(CMatchContext* pContext) const = 0;
    virtual ~ElxInterface() = default;
};

// Matches the empty string once.
template <int x>
class CEmptyElxT : public ElxInterface {
  public:
    int MatchFirst(CMatchContext* pContext) const override;
    int MatchAgain(CMatchContext* pContext) const override;
};

// \G: the position where the search began.
template <int x>
class CGlobalElxT : public ElxInterface {
  public:
    int MatchFirst(CMatchContext* pContext) const override;
    int MatchAgain(CMatchContext* pContext) const override;
};

// A sequence, walked backwards when right-to-left.
template <int x>
class CListElxT : public ElxInterface {
  public:
    explicit CListElxT(int brightleft) : m_brightleft(brightleft) {}
    int MatchFirst(CMatchContext* pContext) const override;
    int MatchAgain(CMatchContext* pContext) const override;

    CBufferT<ElxInterface*> m_elxlist;
    int m_brightleft;

  private:
    int WalkForward(CMatchContext* pContext, int n) const;
    int StepBack(CMatchContext* pContext, int n) const;
    ElxInterface* At(int n) const {
        return m_elxlist[m_brightleft ? m_elxlist.GetSize() - 1 - n : n];
    }
};

// Alternatives, tried in the order written.
template <int x>
class CAlternativeElxT : public ElxInterface {
  public:
    int MatchFirst(CMatchContext* pContext) const override;
    int MatchAgain(CMatchContext* pContext) const override;

    CBufferT<ElxInterface*> m_elxlist;

  private:
    int TryFrom(CMatchContext* pContext, int first) const;
};

// A run of literal characters.
template <class CHART>
class CStringElxT : public ElxInterface {
  public:
    CStringElxT(const CHART* fixed, int length, int brightleft, int byignorecase);
    int MatchFirst(CMatchContext* pContext) const override;
    int MatchAgain(CMatchContext* pContext) const override;

    CBufferT<CHART> m_szPattern;
    int m_brightleft;
    int m_byignorecase;
};

// A set: ranges, single characters and embedded classes, possibly negated.
template <class CHART>
class CRangeElxT : public ElxInterface {
  public:
    CRangeElxT(int brightleft, int byinclude);
    int MatchFirst(CMatchContext* pContext) const override;
    int MatchAgain(CMatchContext* pContext) const override;

    // Adds the other case of every ASCII letter already in the set.
    void WidenForNoCase();
    // Precomputes the answer for the units below 256; called once the set is
    // complete (embedded sets first) and before it is searched.
    void Finish();
    // Whether the set matches `unit`, negation included.
    bool Matches(CHART unit) const;
    // The answers for the units below 256 as 4 x 64 bits, or none when an
    // embedded element keeps them from being known in advance.
    const unsigned long long* AsciiMatches() const {
        return m_bAsciiKnown ? m_asciiMembers : nullptr;
    }

    CBufferT<CHART> m_ranges;  // pairs low, high, both inclusive
    CBufferT<CHART> m_chars;
    CBufferT<ElxInterface*> m_embeds;
    int m_brightleft;
    int m_byinclude;

  private:
    bool IsListed(CHART unit) const;
    bool EmbeddedMember(CHART unit) const;
    bool EmbeddedMatch(CMatchContext* pContext) const;

    unsigned long long m_asciiMembers[4] = {0, 0, 0, 0};
    bool m_bAsciiKnown = false;
};

using PosixClassFunction = bool (*)(int unit);

// A POSIX class such as [:digit:]; without a function it never matches.
template <class CHART>
class CPosixElxT : public ElxInterface {
  public:
    CPosixElxT(PosixClassFunction posixfun, int brightleft, int byes)
        : m_posixfun(posixfun), m_brightleft(brightleft), m_byes(byes) {}
    int MatchFirst(CMatchContext* pContext) const override;
    int MatchAgain(CMatchContext* pContext) const override;
    bool Matches(CHART unit) const;

    PosixClassFunction m_posixfun;
    int m_brightleft;
    int m_byes;
};

enum BoundaryKind : int {
    BOUNDARY_FILE_BEGIN,
    BOUNDARY_FILE_END,
    BOUNDARY_FILE_END_N,  // end, or before a final line break
    BOUNDARY_LINE_BEGIN,
    BOUNDARY_LINE_END,
    BOUNDARY_WORD_EDGE,
};

template <class CHART>
class CBoundaryElxT : public ElxInterface {
  public:
    CBoundaryElxT(int type, int byes) : m_nType(type), m_byes(byes) {}
    int MatchFirst(CMatchContext* pContext) const override;
    int MatchAgain(CMatchContext* pContext) const override;

    int m_nType;
    int m_byes;

  private:
    bool Test(const CMatchContext* pContext) const;
};

// Opens or closes the capture of group m_nnumber.
template <class CHART>
class CBracketElxT : public ElxInterface {
  public:
    CBracketElxT(int nnumber, int bright) : m_nnumber(nnumber), m_bright(bright) {}
    int MatchFirst(CMatchContext* pContext) const override;
    int MatchAgain(CMatchContext* pContext) const override;

    int m_nnumber;
    int m_bright;  // 1 for the closing bracket
    CBufferT<CHART> m_szNamed;
};

template <class CHART>
class CBackrefElxT : public ElxInterface {
  public:
    CBackrefElxT(int nnumber, int brightleft, int bignorecase)
        : m_nnumber(nnumber), m_brightleft(brightleft), m_bignorecase(bignorecase) {}
    int MatchFirst(CMatchContext* pContext) const override;
    int MatchAgain(CMatchContext* pContext) const override;

    int m_nnumber;
    int m_brightleft;
    int m_bignorecase;
    CBufferT<CHART> m_szNamed;
};

// The maximum of `*`, `+` and `{n,}`.
inline constexpr int kUnboundedRepeat = 0x7fffffff;

// Exactly m_nfixed iterations of its element.
template <int x>
class CRepeatElxT : public ElxInterface {
  public:
    CRepeatElxT(ElxInterface* pelx, int nfixed) : m_pelx(pelx), m_nfixed(nfixed) {}
    int MatchFirst(CMatchContext* pContext) const override;
    int MatchAgain(CMatchContext* pContext) const override;

    ElxInterface* m_pelx;
    int m_nfixed;

  protected:
    int MatchFixed(CMatchContext* pContext) const;
    int MatchFixedAgain(CMatchContext* pContext) const;
    // One more iteration that moves the position: MatchFirst, then other ways
    // while it only matches the empty string. False when none moves.
    int MatchMovingIteration(CMatchContext* pContext) const;

  private:
    int MatchForward(CMatchContext* pContext, int done) const;
};

// The minimum, then as many more iterations as possible (up to m_nvart more).
template <int x>
class CGreedyElxT : public CRepeatElxT<x> {
  public:
    CGreedyElxT(ElxInterface* pelx, int nmin, int nmax)
        : CRepeatElxT<x>(pelx, nmin), m_nvart(nmax - nmin) {}
    int MatchFirst(CMatchContext* pContext) const override;
    int MatchAgain(CMatchContext* pContext) const override;

    int m_nvart;
    // Set when every iteration takes exactly one unit, left to right, and
    // what follows in the sequence must begin with one of these units (bits
    // for the units below 256; m_bFollowHigh for the rest). Giving back
    // iterations then skips the positions where that cannot begin.
    bool m_bHasFollow = false;
    bool m_bFollowHigh = false;
    unsigned long long m_follow[4] = {0, 0, 0, 0};

  protected:
    int MatchVart(CMatchContext* pContext) const;

  private:
    int GiveBackToFollower(CMatchContext* pContext, int extra) const;
};

// The minimum, then one more iteration each time it is asked again.
template <int x>
class CReluctantElxT : public CRepeatElxT<x> {
  public:
    CReluctantElxT(ElxInterface* pelx, int nmin, int nmax)
        : CRepeatElxT<x>(pelx, nmin), m_nvart(nmax - nmin) {}
    int MatchFirst(CMatchContext* pContext) const override;
    int MatchAgain(CMatchContext* pContext) const override;

    int m_nvart;
};

// Greedy, and never gives back what it took.
template <int x>
class CPossessiveElxT : public CGreedyElxT<x> {
  public:
    CPossessiveElxT(ElxInterface* pelx, int nmin, int nmax) : CGreedyElxT<x>(pelx, nmin, nmax) {}
    int MatchFirst(CMatchContext* pContext) const override;
    int MatchAgain(CMatchContext* pContext) const override;
};

// Lookahead or lookbehind: tests its element and consumes nothing.
template <int x>
class CAssertElxT : public ElxInterface {
  public:
    CAssertElxT(ElxInterface* pelx, int byes, int bbehind = 0)
        : m_pelx(pelx), m_byes(byes), m_bbehind(bbehind) {}
    int MatchFirst(CMatchContext* pContext) const override;
    int MatchAgain(CMatchContext* pContext) const override;

    ElxInterface* m_pelx;
    int m_byes;
    int m_bbehind;  // 1 when the element is matched right to left (lookbehind)
};

// Atomic group: the first way its element finds is the only one.
template <int x>
class CIndependentElxT : public ElxInterface {
  public:
    explicit CIndependentElxT(ElxInterface* pelx) : m_pelx(pelx) {}
    int MatchFirst(CMatchContext* pContext) const override;
    int MatchAgain(CMatchContext* pContext) const override;

    ElxInterface* m_pelx;
};

// (?(cond)yes|no): the condition is a group number (m_nnumber >= 0) or an
// element tested at the current position.
template <class CHART>
class CConditionElxT : public ElxInterface {
  public:
    int MatchFirst(CMatchContext* pContext) const override;
    int MatchAgain(CMatchContext* pContext) const override;

    int m_nnumber = -1;
    CBufferT<CHART> m_szNamed;
    ElxInterface* m_pelxask = nullptr;
    ElxInterface* m_pelxyes = nullptr;
    ElxInterface* m_pelxno = nullptr;
};

// A recursion: matches its target (the whole pattern or a group), linked once
// compilation has seen every group. Without a target it matches empty.
template <class CHART>
class CDelegateElxT : public ElxInterface {
  public:
    explicit CDelegateElxT(int ndata) : m_ndata(ndata) {}
    int MatchFirst(CMatchContext* pContext) const override;
    int MatchAgain(CMatchContext* pContext) const override;

    ElxInterface* m_pelx = nullptr;
    int m_ndata;  // target group number; -3 while only a name is known
    CBufferT<CHART> m_szNamed;
};

// The element as T when it is exactly a T, not a kind derived from it. Type
// identities are compared by address, which is cheap; should a type ever have
// two identities, the element only goes unrecognised, which the analyses
// using this treat as "anything may happen here".
template <class T>
const T* Exactly(const ElxInterface* element) {
    return &typeid(*element) == &typeid(T) ? static_cast<const T*>(element) : nullptr;
}

template <class T>
T* Exactly(ElxInterface* element) {
    return &typeid(*element) == &typeid(T) ? static_cast<T*>(element) : nullptr;
}

}  // namespace qx::pattern
