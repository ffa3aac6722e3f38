// Sets, class escapes, POSIX classes and anchors.
#include <gtest/gtest.h>

#include "pattern_test_support.h"

namespace qx::pattern::testing {
namespace {

TEST(PatternSets, MembersRangesAndNegation) {
    ExpectCases({
        {u"[abc]", u"xb", {{1, 2}}},
        {u"[^abc]", u"abcd", {{3, 4}}},
        {u"[a-c]+", u"xabcd", {{1, 4}}},
        {u"[c-a]", u"b", {}},  // a reversed range holds nothing
        {u"[a-]", u"-", {{0, 1}}},
        {u"[-a]", u"-", {{0, 1}}},
        {u"[a\\-z]", u"-", {{0, 1}}},
        {u"[a\\-z]", u"m", {}},
        {u"[\\b]", u"\b", {{0, 1}}},
        {u"[\\b]", u"b", {}},
        {u"[\\A]", u"A", {{0, 1}}},  // another escape's letter stands for itself
        {u"[\\Ga]", u"a", {{0, 1}}},
        {u"[.*+?]+", u"x.*+?", {{1, 5}}},
        {u"[]", u"a", {}},
        {u"[]a]", u"a]", {}},
        {u"[^]", u"\n", {{0, 1}}},
        {u"[\\x{4e00}-\\x{9fa5}]+", u"ab\u4e2d\u6587c", {{2, 4}}},
        {u"[^\\x00-\\x7f]", u"a\u00e9", {{1, 2}}},
        {u"[\\d_]+", u"x1_2", {{1, 4}}},
        {u"[^\\s]", u" \t\r\nx", {{4, 5}}},
        {u"[^\\s]", u"\f", {{0, 1}}},  // forwards, \s holds neither FF nor VT
        {u"[\\W\\d]", u"a5", {{1, 2}}},
    });
}

TEST(PatternSets, ClassEscapes) {
    ExpectCases({
        {u"\\w+", u"  ab_9\u00e9", {{2, 6}}},
        {u"\\W", u"ab c", {{2, 3}}},
        {u"\\s+", u"a \t\r\nb", {{1, 5}}},
        {u"\\s", u"\f\v", {}},
        {u"\\S+", u"  a\fb ", {{2, 5}}},
        {u"\\d+", u"ab123c", {{2, 5}}},
        {u"\\D", u"12a", {{2, 3}}},
        {u".", u"\n", {}},
        {u".", u"\r", {{0, 1}}},
        {u".+", u"ab\ncd", {{0, 2}}},
        {u"(?s).+", u"ab\ncd", {{0, 5}}},
        {u".", u"\n", {{0, 1}}, PF_DOT_ALL},
    });
}

TEST(PatternSets, PosixClasses) {
    ExpectCases({
        {u"[[:digit:]_]+", u"a1_2b", {{1, 4}}},
        {u"[:digit:]", u"x5", {{1, 2}}},
        {u"[[:^digit:]]", u"12a", {{2, 3}}},
        {u"[:^alpha:]", u"ab1", {{2, 3}}},
        {u"[[:alnum:]]+", u"-a1Z-", {{1, 4}}},
        {u"[[:alpha:]]", u"\u00e9", {}},  // above 127: in no class
        {u"[[:ascii:]]", u"\u00e9a", {{1, 2}}},
        {u"[[:cntrl:]]", u"a\x7f", {{1, 2}}},
        {u"[[:graph:]]", u" x", {{1, 2}}},
        {u"[[:print:]]", u"\t ", {{1, 2}}},
        {u"[[:lower:]]", u"Ab", {{1, 2}}},
        {u"[[:upper:]]", u"aB", {{1, 2}}},
        {u"[[:punct:]]+", u"a!/:@[`{~b", {{1, 9}}},
        {u"[[:space:]]+", u"a\t\n\v\f\r b", {{1, 7}}},
        {u"[[:blank:]]+", u"a \t\nb", {{1, 3}}},
        {u"[[:xdigit:]]+", u"xfF9g", {{1, 4}}},
        {u"[[:digit:]junk]", u"5", {{0, 1}}},
        {u"[:alnum]", u"a", {}},          // needs its closing colon
        {u"[[:alnum:]", u"a", {{0, 1}}},  // the set runs to the end
        {u"[[:alnum:]x]", u"x", {{0, 1}}},
    });
}

TEST(PatternSets, NoCaseWidensSets) {
    ExpectCases({
        {u"(?i)[a-c]", u"B", {{0, 1}}},
        {u"(?i)[X]", u"x", {{0, 1}}},
        {u"(?i)[^a]", u"A", {}},
        {u"(?i)[^a]", u"b", {{0, 1}}},
        {u"(?i)[Z-a]", u"z", {{0, 1}}},
        {u"(?i)[Z-a]", u"A", {{0, 1}}},
        {u"(?i)[Z-a]", u"b", {}},
        {u"(?i)\u00e9", u"\u00c9", {}},  // ASCII letters only
        {u"[a-c]", u"B", {}},
        {u"abc", u"AbC", {{0, 3}}, PF_NO_CASE},
    });
}

TEST(PatternAnchors, TextAnchors) {
    ExpectCases({
        {u"a$", u"a\n", {}},  // $ is the very end without multi-line
        {u"a$", u"ba", {{1, 2}}},
        {u"a\\Z", u"a\n", {{0, 1}}},
        {u"a\\Z", u"a\r\n", {{0, 1}}},
        {u"a\\Z", u"a\n\n", {}},
        {u"\\Z", u"\n", {{0, 0}}},
        {u"a\\z", u"a\n", {}},
        {u"^b", u"a\nb", {}},
        {u"\\Ab", u"ab", {}},
        {u"\\Aa", u"ab", {{0, 1}}},
        {u"$", u"abc", {{3, 3}}},
    });
}

TEST(PatternAnchors, LineAnchors) {
    ExpectCases({
        {u"(?m)^b", u"a\rb", {{2, 3}}},
        {u"(?m)^b", u"a\nb", {{2, 3}}},
        {u"(?m)^b", u"a\r\nb", {{3, 4}}},
        {u"(?m)^b", u"b", {{0, 1}}},
        {u"(?m)^\\n", u"\r\n", {}},  // no line start between CR and LF
        {u"(?m)a$", u"a\r\nb", {{0, 1}}},
        {u"(?m)a$", u"a\nb", {{0, 1}}},
        {u"(?m)a$", u"a\rb", {{0, 1}}},
        {u"(?m)a$", u"ab", {}},
        {u"(?m)\\r$", u"\r\n", {}},  // no line end between CR and LF
        {u"^b", u"a\nb", {{2, 3}}, PF_MULTI_LINE},
        {u"(?m)\\Ab", u"a\nb", {}},
    });
}

TEST(PatternAnchors, WordEdges) {
    ExpectCases({
        {u"\\bfoo\\b", u"foo_bar", {}},
        {u"\\bfoo\\b", u"a foo.", {{2, 5}}},
        {u"\\bfoo\\b", u"foo", {{0, 3}}},
        {u"\\Bo\\B", u"foo", {{1, 2}}},
        {u"\\b", u"", {}},
        {u"\\B", u"", {{0, 0}}},
        {u"\\beval\\b", u"\u4e2deval\u6587", {{1, 5}}},  // CJK is not a word character
        {u"\\beval\\b", u"eval1", {}},
    });
}

TEST(PatternAnchors, ContinuationAnchor) {
    ExpectCases({
        {u"\\Ga", u"ba", {{1, 2}}},  // without PF_GLOBAL \G is empty
        {u"\\Ga", u"ba", {}, PF_GLOBAL},
        {u"\\Ga", u"ab", {{0, 1}}, PF_GLOBAL},
        {u"(?g)\\Ga", u"ba", {}},
        {u"(?g-g)\\Ga", u"ba", {{1, 2}}},
    });
}

}  // namespace
}  // namespace qx::pattern::testing
