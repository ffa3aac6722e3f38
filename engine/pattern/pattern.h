// The engine's own backtracking regular-expression matcher over UTF-16 units.
//
//   CPatternT<char16_t> pattern(u"\\beval\\s*\\(");
//   CMatchResult result = pattern.Search(text.data(), text.size());
//   if (result.IsMatched()) ... result.GetGroupStart(1) ...
//
//   if (pattern.Test(text.data(), text.size()) == MatchOutcome::kMatch) ...
//
// Compilation never fails: a malformed pattern compiles by lenient rules. A
// compiled pattern is read-only while searched, so several threads may search
// it at once; compiling again must not overlap a search. Every backtracking
// search is bounded in call depth and in work (see pattern_limits.h) and
// answers "no match" at a bound, so no text can hang or crash a scan. Test,
// which only tells whether there is a match, runs in time linear in the text
// for most patterns (LinearSearchable) and so never stops at a bound; for the
// others it says when a bound ended it.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "pattern_builder.h"
#include "pattern_filter.h"
#include "pattern_flags.h"
#include "pattern_linear.h"
#include "pattern_result.h"

namespace qx::pattern {

template <class CHART>
class CPatternT {
  public:
    // Compiles a NUL-terminated pattern with no flags; a null pattern gives an
    // object on which every search reports no match.
    explicit CPatternT(const CHART* pattern = nullptr);
    CPatternT(const CHART* pattern, int length, int flags);
    CPatternT(const CPatternT&) = delete;
    CPatternT& operator=(const CPatternT&) = delete;

    // Discards the previous tree and compiles anew; returns the top element.
    ElxInterface* Compile(const CHART* pattern, int flags = 0);
    ElxInterface* Compile(const CHART* pattern, int length, int flags);

    // Finds the leftmost match (rightmost with PF_RIGHT_TO_LEFT). The first
    // form searches up to the text's first NUL; the second searches exactly
    // `length` units, NULs included.
    CMatchResult Search(const CHART* text) const;
    CMatchResult Search(const CHART* text, std::size_t length) const;
    // As above, in a context the caller keeps to see afterwards whether the
    // search stopped at a bound and how much work it took.
    CMatchResult Search(const CHART* text, std::size_t length, CMatchContext& context) const;

    // Whether a match starts at a position from `from` on in the `length`
    // units of `text`; the units before `from` are still seen by lookbehind,
    // \b and line anchors, and \G stands for `from`. A linear-searchable
    // pattern never answers kStopped for a text the engine accepts (up to
    // kMaxTextLength units); the others answer it when a bound ended the
    // backtracking, as does a text that is too long or missing.
    MatchOutcome Test(const CHART* text, std::size_t length, std::size_t from = 0) const;
    // As above, in a context the caller keeps to see the work taken (and to
    // ask for the backtracker, see CMatchContext::UseBacktracker).
    MatchOutcome Test(const CHART* text, std::size_t length, std::size_t from,
                      CMatchContext& context) const;

    // Whether Test runs in linear time on this pattern: decided when it is
    // compiled, true for left-to-right patterns without backreferences,
    // recursions, conditions and possessive quantifiers whose lookarounds
    // take a bounded number of units (see pattern_linear.h for the rest).
    bool LinearSearchable() const { return m_linear.Usable(); }

    // Literals of which every match holds one, each at its distance from the
    // match's start, as the search filter found them: one literal, or the
    // branches of an alternation; none when it can tell none.
    struct RequiredLiteral {
        std::basic_string_view<CHART> text;
        int offset;
    };
    std::vector<RequiredLiteral> RequiredLiterals() const;

    int GetMaxGroupNumber() const { return m_builder.m_nMaxNumber; }
    int GetFlags() const { return m_builder.m_nFlags; }

  private:
    CMatchResult Run(const CHART* text, int length, int from, CMatchContext& context) const;

    CPatternBuilderT<CHART> m_builder;
    CSearchFilterT<CHART> m_filter;
    CLinearProgramT<CHART> m_linear;
};

// Compiles `pattern` anew and tests the `length` units of `text` once.
MatchOutcome TestPattern(const char16_t* pattern, const char16_t* text, std::size_t length,
                         int flags = 0);

// As TestPattern, kStopped counting as no match. This is what the detection
// rules call.
bool PatternMatches(const char16_t* pattern, const char16_t* text, std::size_t length,
                    int flags = 0);

}  // namespace qx::pattern
