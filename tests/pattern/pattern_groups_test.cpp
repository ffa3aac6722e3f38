// Groups and their numbering, backreferences, conditions, recursion and
// inline modifiers.
#include <gtest/gtest.h>

#include "pattern_test_support.h"

namespace qx::pattern::testing {
namespace {

constexpr std::pair<int, int> kNone{-1, -1};

TEST(PatternGroups, CapturesAreNumberedByOpeningParenthesis) {
    ExpectCases({
        {u"(a)(b)(c)", u"abc", {{0, 3}, {0, 1}, {1, 2}, {2, 3}}},
        {u"((a)b)", u"ab", {{0, 2}, {0, 2}, {0, 1}}},
        {u"(a(b))(c)", u"abc", {{0, 3}, {0, 2}, {1, 2}, {2, 3}}},
        {u"(?:a)(b)", u"ab", {{0, 2}, {1, 2}}},
        {u"(a)|(b)", u"b", {{0, 1}, kNone, {0, 1}}},
        {u"(a|ab)(c|bcd)(d*)", u"abcd", {{0, 4}, {0, 1}, {1, 4}, {4, 4}}},
        {u"(a)*", u"aaa", {{0, 3}, {2, 3}}},  // the latest iteration
        {u"(?:(a)|b)*", u"ab", {{0, 2}, {0, 1}}},
    });
}

TEST(PatternGroups, NamedGroupsFollowTheUnnamedOnes) {
    ExpectCases({
        {u"(?<x>a)(b)", u"ab", {{0, 2}, {1, 2}, {0, 1}}},
        {u"(?'x'a)(?P<y>b)(c)", u"abc", {{0, 3}, {2, 3}, {0, 1}, {1, 2}}},
        {u"(?<a>x)|(?<b>y)", u"y", {{0, 1}, kNone, {0, 1}}},
        // Names are compared without ASCII case: one group number for both.
        {u"(?<n>x)(?<N>y)\\k<n>", u"xyy", {{0, 3}, {1, 2}}},
        {u"(?<n>x)(?<N>y)\\k<n>", u"xyx", {}},
        {u"(?<2>a)(b)", u"ab", {{0, 2}, {1, 2}, {0, 1}}},
        {u"(?<5>a)", u"a", {{0, 1}, kNone, kNone, kNone, kNone, {0, 1}}},
        {u"(?<a>x)(?<5>y)(?<b>z)", u"xyz", {{0, 3}, {0, 1}, {2, 3}, kNone, kNone, {1, 2}}},
        {u"(?P'q'a)\\k'q'", u"aa", {{0, 2}, {0, 1}}},
    });
}

TEST(PatternGroups, Backreferences) {
    ExpectCases({
        {u"(a|b)\\1", u"ab ba bb", {{6, 8}, {6, 7}}},
        {u"(a*)\\1", u"aaaa", {{0, 4}, {0, 2}}},
        {u"(a)?\\1", u"b", {}},  // a group off the path never matches
        {u"(a)|\\1", u"b", {}},
        {u"\\1(a)", u"aa", {}},
        {u"(a\\1)", u"aa", {{0, 2}, {0, 2}}},  // an open group: up to here
        {u"(x)\\1", u"xX", {}},
        {u"(?i)(x)\\1", u"xX", {{0, 2}, {0, 1}}},
        {u"(x)(?i)\\1", u"xX", {{0, 2}, {0, 1}}},
        {u"(a)\\k<1>", u"aa", {{0, 2}, {0, 1}}},
        {u"(a)\\k< 1 >", u"aa", {{0, 2}, {0, 1}}},
        {u"(a)\\k<1x>", u"aa", {}},
        {u"(a)\\k1", u"aa", {{0, 2}, {0, 1}}},
        {u"(a)\\g'1'", u"aa", {{0, 2}, {0, 1}}},
        {u"a\\kb", u"aab", {{0, 3}}},  // \k without a name: group 0
        {u"(?:(a)|b)*\\1", u"abba", {{0, 4}, {0, 1}}},
        {u"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)\\10",
         u"abcdefghijj",
         {{0, 11},
          {0, 1},
          {1, 2},
          {2, 3},
          {3, 4},
          {4, 5},
          {5, 6},
          {6, 7},
          {7, 8},
          {8, 9},
          {9, 10}}},
    });
}

TEST(PatternGroups, Conditions) {
    ExpectCases({
        {u"(a)?(?(1)b|c)", u"ab", {{0, 2}, {0, 1}}},
        {u"(a)?(?(1)b|c)", u"c", {{0, 1}, kNone}},
        {u"(a)?(?(1)b|c)", u"b", {}},
        {u"(?(?=a)ab|cd)", u"cd", {{0, 2}}},
        {u"(?(?=a)ab|cd)", u"ad", {}},
        {u"(?(?<=a)b|c)", u"ab", {{1, 2}}},
        {u"(?(?!a)c|a)", u"a", {{0, 1}}},
        {u"(?(1)a|b|c)", u"c", {{0, 1}}},  // the no branch is the rest
        {u"(?(1)a)b", u"b", {{0, 1}}},
        {u"(?<n>a)?(?(n)b|c)", u"ab", {{0, 2}, {0, 1}}},
        {u"(?<n>a)?(?(n)b|c)", u"c", {{0, 1}, kNone}},
        {u"(?(xy)xyz|w)", u"xyw", {{2, 3}}},  // no such name: a lookahead
        {u"(?(xy)xyz|w)", u"xyz", {{0, 3}}},
        {u"(a)?(?(1)a*|b)a", u"aaa", {{0, 3}, {0, 1}}},
        {u"(?( 1 )a|b)", u"b", {{0, 1}}},
        // A capture the atomic group gave up is off the path, although the
        // group's index entry still points past the stack.
        {u"(?:(?>(a))x|a)(?(1)b|c)", u"ac", {{0, 2}, kNone}},
        {u"(?:(?=(a))ax|a)(?(1)b|c)", u"ac", {{0, 2}, kNone}},
        {u"(?:(a)++x|a)(?(1)b|c)", u"ac", {{0, 2}, kNone}},
        {u"(?:(?>(a))x|a)\\1", u"aa", {}},
    });
}

TEST(PatternGroups, Recursion) {
    ExpectCases({
        {u"\\((?:[^()]|(?R))*\\)", u"x(a(b)c)y", {{1, 8}}},
        {u"\\((?:[^()]|(?R))*\\)", u"((a)", {{1, 4}}},
        {u"(a(?1)?b)", u"aaabbb", {{0, 6}, {0, 6}}},
        {u"a(?R)?b", u"aabb", {{0, 4}}},
        {u"a(?0)?b", u"aabb", {{0, 4}}},
        {u"(?<p>a(?R<p>)?b)", u"aabb", {{0, 4}, {0, 4}}},
        {u"(?<p>a(?R'p')?b)", u"aabb", {{0, 4}, {0, 4}}},
        {u"(?1)(b)", u"bb", {{0, 2}, {1, 2}}},
        {u"(?R 1)(b)", u"bb", {{0, 2}, {1, 2}}},
        {u"(?R<nope>)x", u"x", {{0, 1}}},  // an unknown name recurses into nothing
    });
}

TEST(PatternGroups, InlineModifiersAndTheirScope) {
    ExpectCases({
        {u"(?i)abc", u"ABC", {{0, 3}}},
        {u"(?i:ab)c", u"ABc", {{0, 3}}},
        {u"(?i:ab)c", u"ABC", {}},
        {u"(?i)a(?-i)b", u"Ab", {{0, 2}}},
        {u"(?i)a(?-i)b", u"AB", {}},
        {u"a(?i)b|c", u"C", {{0, 1}}},  // carries into later alternatives
        {u"(a(?i)b)c", u"aBc", {{0, 3}, {0, 2}}},
        {u"(a(?i)b)c", u"aBC", {}},  // ends with its group
        {u"(?i(ab))c", u"ABc", {{0, 3}, {0, 2}}},
        {u"(?I)x", u"X", {{0, 1}}},
        {u"(?is)a.", u"A\n", {{0, 2}}},
        {u"(?s-s).", u"\n", {}},
        {u"(?m-i)^B", u"a\nB", {{2, 3}}},
        {u"(?i)", u"x", {{0, 0}}},
    });
}

}  // namespace
}  // namespace qx::pattern::testing
