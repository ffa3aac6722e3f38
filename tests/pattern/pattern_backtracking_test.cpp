// Lookaround, atomic groups, possessive, greedy and lazy quantifiers, and
// right-to-left searching.
#include <gtest/gtest.h>

#include "pattern_test_support.h"

namespace qx::pattern::testing {
namespace {

constexpr std::pair<int, int> kNone{-1, -1};

TEST(PatternLookaround, Lookahead) {
    ExpectCases({
        {u"(?=abc)a", u"xabc", {{1, 2}}},
        {u"(?!abc)a", u"abcab", {{3, 4}}},
        {u"a(?=b)", u"acab", {{2, 3}}},
        {u"(?=(ab))a", u"ab", {{0, 1}, {0, 2}}},            // captures of a lookahead stay
        {u"(?!(a)b)\\w", u"ab", {{1, 2}, kNone}},           // those of a negative one go
        {u"(?=(a+))a*b\\1", u"baaabac", {{3, 6}, {3, 4}}},  // no backtracking into it
        {u"(?=)", u"", {{0, 0}}},
        {u"(?!)", u"a", {}},
    });
}

TEST(PatternLookaround, LookbehindRunsRightToLeft) {
    ExpectCases({
        {u"(?<=ab)c", u"abc", {{2, 3}}},
        {u"(?<!a)c", u"acbc", {{3, 4}}},
        {u"(?<=a+b)c", u"aaabc", {{4, 5}}},  // any length
        {u"(?<=\\d{2,})x", u"1x12x", {{4, 5}}},
        {u"(?<=(a)b)c", u"abc", {{2, 3}, {0, 1}}},
        {u"(?<=a(?=b)b)c", u"abc", {{2, 3}}},
        {u"(?<=a)", u"", {}},
        {u"(?<!a)b", u"b", {{0, 1}}},
        {u"(?<=^|,)x", u"a,x", {{2, 3}}},
        // Right to left, \s takes FF and VT too; forwards it does not.
        {u"(?<=\\s)x", u"\fx", {{1, 2}}},
        {u"(?<=\\s)x", u"\vx", {{1, 2}}},
        {u"\\sx", u"\fx", {}},
        {u"(?<!\\S)x", u"\fx", {{1, 2}}},
        {u"(?<=[\\s])x", u"\fx", {{1, 2}}},
    });
}

TEST(PatternAtomic, AtomicGroupsAndPossessiveQuantifiers) {
    ExpectCases({
        {u"(?>a+)b", u"aaab", {{0, 4}}},
        {u"(?>a+)a", u"aaa", {}},
        {u"(?>a|ab)c", u"abc", {}},
        {u"(?>(a)|ab)", u"ab", {{0, 1}, {0, 1}}},
        {u"a*+a", u"aaaa", {}},
        {u"a++b", u"aab", {{0, 3}}},
        {u"a?+a", u"a", {}},
        {u"(?:ab)*+c", u"ababc", {{0, 5}}},
        {u"a{1,2}+a", u"aaa", {{0, 3}}},
        {u"(a)++b|a", u"aa", {{0, 1}, kNone}},  // its captures go when it fails
    });
}

TEST(PatternQuantifiers, GreedyAndLazy) {
    ExpectCases({
        {u"a*?b", u"aaab", {{0, 4}}},
        {u"a+?", u"aaa", {{0, 1}}},
        {u"a??b", u"ab", {{0, 2}}},
        {u"a{2,4}?", u"aaaaa", {{0, 2}}},
        {u"<.+?>", u"<a><b>", {{0, 3}}},
        {u"<.+>", u"<a><b>", {{0, 6}}},
        {u"(?:a|ab)*?c", u"abc", {{0, 3}}},
        {u"(a|ab)*?c", u"abac", {{0, 4}, {2, 3}}},
        {u"x*", u"yyy", {{0, 0}}},
        {u"(?:a|b)*c", u"ababd", {}},
        {u"(a+)+b", u"aab", {{0, 3}, {0, 2}}},
        {u"(\\w+)\\s(\\w+)", u"ab cd", {{0, 5}, {0, 2}, {3, 5}}},
    });
}

TEST(PatternQuantifiers, ZeroLengthIterationsAreNotCounted) {
    ExpectCases({
        {u"(a*)*", u"b", {{0, 0}, kNone}},
        {u"(a*)*", u"aa", {{0, 2}, {0, 2}}},
        {u"(a*)+", u"b", {{0, 0}, {0, 0}}},  // the minimum counts even when empty
        {u"(a*)*?b", u"aab", {{0, 3}, {0, 2}}},
        {u"(?:a*?)*?b", u"aab", {{0, 3}}},
        {u"(?:x*)*y", u"xxz", {}},
        {u"(?:\\b)*a", u"a", {{0, 1}}},
        {u"(?:|a)*b", u"aab", {{0, 3}}},
        {u"(a|)+b", u"aab", {{0, 3}, {1, 2}}},
    });
}

// The search skips start positions where no match can begin; these patterns
// begin in every way that skipping must get right.
TEST(PatternSearchStart, NoTrueStartIsSkipped) {
    ExpectCases({
        {u"..abc", u"xyabc", {{0, 5}}},
        {u".abc", u"abc abc", {{3, 7}}},
        {u"(?i)xyz", u"aXyZ", {{1, 4}}},
        {u"(?i:x)yz", u"aXyz", {{1, 4}}},
        {u"[\\x{100}-\\x{200}]z", u"a\u0150z", {{1, 3}}},
        {u"[^a]z", u"\u4e2dz", {{0, 2}}},
        {u"[[:^alpha:]]x", u"\u00e9x", {{0, 2}}},
        {u"\\Bbc", u"abc", {{1, 3}}},
        {u"(?<=a)bc", u"abc", {{1, 3}}},
        {u"x*abc", u"abc", {{0, 3}}},
        {u"(a|b)?cd", u"xcd", {{1, 3}, kNone}},
        {u"\\d\\d:\\d\\d", u"at 12:30", {{3, 8}}},
        {u"(?:ab|cd)ef", u"xcdef", {{1, 5}}},
        {u"(x)(?:y)z", u"axyz", {{1, 4}, {1, 2}}},
        {u"abc|", u"xyz", {{0, 0}}},
        {u"\\1?x", u"ax", {{1, 2}}},
        {u"(?(1)a|b)c", u"abc", {{1, 3}}},
        {u"a(?R)?z", u"xaazz", {{1, 5}}},
        // Branches' literals at one distance are looked for by their first
        // units: up to the text's last units, a branch of three followed by
        // anything (past ASCII too), a branch of two.
        {u"\\b(exec|system|pop)\\b", u"a = pop", {{4, 7}, {4, 7}}},
        {u"\\b(exec|system|pop)\\b", u"pop\u4e2d", {{0, 3}, {0, 3}}},
        {u"\\b(exec|system|pop)\\b", u"x\u4e2dsystem(", {{2, 8}, {2, 8}}},
        {u"\\b(exec|system|pop)\\b", u"popen execute", {}},
        {u"(ab|cde)\\(", u"xcde(", {{1, 5}, {1, 4}}},
        {u"(ab|cde)\\(", u"ab", {}},
    });
}

// A greedy quantifier over single units gives back straight to the next
// position where what follows it can begin.
TEST(PatternSearchStart, GivingBackStopsWhereTheRestCanBegin) {
    ExpectCases({
        {u"a.*c", u"abcbb", {{0, 3}}},
        {u"a.*z", u"abc", {}},
        {u"\\d+\\d", u"123", {{0, 3}}},
        {u"a.*\u4e2d", u"a\u4e2dxx", {{0, 2}}},
        {u"a[^x]*\\bc", u"ab cbcd", {{0, 4}}},
        {u"a.*(?:b|cd)", u"acdxbx", {{0, 5}}},
        {u"a.*b?c", u"abcxc", {{0, 5}}},
        {u"set\\s*.*\\s*=\\s*server\\s", u"offset = 1; set s = server\r\n", {{3, 27}}},
        {u"a\\w*+b", u"aab", {}},
        {u"x.*(y)", u"xyay", {{0, 4}, {3, 4}}},
    });
}

TEST(PatternRightToLeft, SearchesFromTheEnd) {
    constexpr int kRtl = PF_RIGHT_TO_LEFT;
    ExpectCases({
        {u"a", u"aba", {{2, 3}}, kRtl},
        {u"ab", u"abab", {{2, 4}}, kRtl},
        {u"a+", u"aa b aaa", {{5, 8}}, kRtl},
        {u"\\d+", u"12 345", {{3, 6}}, kRtl},
        {u"(a)(b)", u"ab", {{0, 2}, {0, 1}, {1, 2}}, kRtl},
        {u"^a", u"aa", {{0, 1}}, kRtl},
        {u"a$", u"aa", {{1, 2}}, kRtl},
        {u"a(?=b)", u"abab", {{2, 3}}, kRtl},
        {u"(?<=a)b", u"abab", {{3, 4}}, kRtl},
        {u"", u"abc", {{3, 3}}, kRtl},
        {u"(a)\\1", u"aa", {}, kRtl},  // the backreference is reached first
        {u"\\1(a)", u"aa", {{0, 2}, {1, 2}}, kRtl},
        {u"a+?", u"aaa", {{2, 3}}, kRtl},
        {u"\\bab", u"ab ab", {{3, 5}}, kRtl},
        {u"\\s", u"\fa", {{0, 1}}, kRtl},
        {u"[^\\s]", u"a\f", {{0, 1}}, kRtl},
        {u"x", u"abc", {}, kRtl},
    });
}

}  // namespace
}  // namespace qx::pattern::testing
