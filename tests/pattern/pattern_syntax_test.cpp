// The tokenizer and the lenient reading of malformed patterns.
#include <gtest/gtest.h>

#include "pattern_test_support.h"

namespace qx::pattern::testing {
namespace {

using namespace std::string_view_literals;

TEST(PatternSyntax, EscapesGiveTheirCharacters) {
    ExpectCases({
        {u"\\x41", u"A", {{0, 1}}},
        {u"\\x4", u"\x04", {{0, 1}}},
        {u"\\x4g", u"\x04g", {{0, 2}}},
        {u"\\x{263A}", u"\u263A", {{0, 1}}},
        {u"\\x{1F600}", u"\xF600", {{0, 1}}},  // kept to 16 bits
        {u"\\x{41", u"A", {{0, 1}}},           // runs to the end
        {u"\\xg", u"xg", {{0, 2}}},
        {u"\\x{}", u"x", {{0, 0}}},  // the letter x under an empty quantifier
        {u"\\u263A", u"\u263A", {{0, 1}}},
        {u"\\u{41}b", u"Ab", {{0, 2}}},
        {u"\\u41", u"A", {{0, 1}}},
        {u"\\t\\n\\r\\f\\v\\a\\e", u"\t\n\r\f\v\a\x1b", {{0, 7}}},
        {u"\\c", u"c", {{0, 1}}},
        {u"\\q\\y", u"qy", {{0, 2}}},
        {u"a\\.b", u"axb", {}},
        {u"a\\.b", u"a.b", {{0, 3}}},
        {u"\\<\\!\\-\\-\\#\\/\\$", u"<!--#/$", {{0, 7}}},
        {u"a\\", u"a\\", {{0, 2}}},          // a final backslash is literal
        {u"a\\\0b"sv, u"a\0b"sv, {{0, 3}}},  // backslash and NUL: a NUL
        {u"\\1234", u"", {}},                // group 123, then 4
        {u"\\0", u"", {{0, 0}}},             // group 0: what matched so far
    });
}

TEST(PatternSyntax, QuotingTakesUnitsLiterally) {
    ExpectCases({
        {u"\\Qa.b\\E", u"a.b", {{0, 3}}},
        {u"\\Qa.b\\E", u"axb", {}},
        {u"\\Q(a|b)*\\E+", u"(a|b)**", {{0, 7}}},
        {u"\\Uab\\E", u"AB", {{0, 2}}},
        {u"\\Uab\\E", u"ab", {}},
        {u"\\LAb\\Ec", u"abc", {{0, 3}}},
        {u"\\Qa*", u"a*", {{0, 2}}},  // quoting runs to the end
        {u"\\Q\\Ex", u"x", {{0, 1}}},
        {u"\\L\\UA\\E", u"\\ua", {{0, 3}}},  // \U is quoted text once \L is on
    });
}

TEST(PatternSyntax, CommentsAndFreeSpacing) {
    ExpectCases({
        {u"ab(?#comment)c", u"abc", {{0, 3}}},
        {u"a(?#x)*", u"aaa", {{0, 3}}},
        {u"ab(?#cd", u"ab", {{0, 2}}},
        {u"a b", u"ab", {}},
        {u"a b # comment\n c", u"abc", {{0, 3}}, PF_FREE_SPACING},
        {u"a\\ b", u"a b", {{0, 3}}, PF_FREE_SPACING},
        {u"a#b", u"a#b", {{0, 3}}},
        {u"(?x)a b", u"a b", {{0, 3}}},  // x is no modifier
    });
}

TEST(PatternSyntax, BracesAndLoneQuantifiers) {
    ExpectCases({
        {u"a{2}", u"aaa", {{0, 2}}},
        {u"a{2,}", u"aaaaa", {{0, 5}}},
        {u"a{2,}?", u"aaaa", {{0, 2}}},
        {u"a{2,1}", u"aaa", {{0, 2}}},
        {u"a{ 2 , 3 }", u"aaaa", {{0, 3}}},
        {u"a{2,x}", u"aaaa", {{0, 4}}},  // no maximum: unbounded
        {u"a{2}?", u"aaa", {{0, 2}}},    // ? and + after a fixed count are ignored
        {u"a{2}+a", u"aaa", {{0, 3}}},
        {u"a{x}", u"a", {{0, 0}}},  // not a quantifier: the atom is lost
        {u"a{0}b", u"ab", {{1, 2}}},
        {u"a{,3}b", u"aab", {{2, 3}}},
        {u"a{2", u"aa", {{0, 2}}},    // a missing } runs to the end
        {u"a{1234567}", u"aaa", {}},  // six digits: 123456 a's
        {u"a**", u"aa*", {{0, 3}}},
        {u"*a", u"*a", {{0, 2}}},
        {u"*a", u"a", {}},
        {u"+?", u"+", {{0, 1}}},  // a literal plus, made optional
        {u"{2}", u"x{2}", {{1, 4}}},
        {u"}", u"}", {{0, 1}}},
        {u"a|*", u"*", {{0, 1}}},
        {u"(*)", u"*", {{0, 1}, {0, 1}}},
        {u"abc*", u"abccc", {{0, 5}}},
        {u"abc*", u"abab", {{0, 2}}},
        {u"ab{2}", u"abab", {}},
        {u"ab{2}", u"abb", {{0, 3}}},
    });
}

TEST(PatternSyntax, MalformedPatternsHaveALenientReading) {
    ExpectCases({
        {u"", u"", {{0, 0}}},
        {u"", u"abc", {{0, 0}}},
        {u"ab)cd", u"abcd", {{0, 2}}},  // an unmatched ) ends the pattern
        {u"ab)cd", u"ab", {{0, 2}}},
        {u"(ab", u"xab", {{1, 3}, {1, 3}}},
        {u"(a|b", u"b", {{0, 1}, {0, 1}}},
        {u"[ab", u"b", {{0, 1}}},
        {u"[[:foo:]]", u"a:", {}},
        {u"[[:foo:]a]", u"a", {{0, 1}}},
        {u"\\5", u"", {}},
        {u"(a)\\2", u"aa", {}},
        {u"a(?5)b", u"ab", {{0, 2}}},  // recursion to no group matches empty
        {u"(?", u"x", {{0, 0}}},
        {u"(?<", u"x", {{0, 0}, {0, 0}}},  // a named group running to the end
        {u"(?(", u"x", {{0, 0}}},
        {u"\\k<nope>", u"x", {}},
    });
}

TEST(PatternSyntax, NullPatternNeverMatches) {
    CPatternT<char16_t> pattern(nullptr);
    EXPECT_FALSE(pattern.Search(u"").IsMatched());
    EXPECT_FALSE(pattern.Search(u"abc", 3).IsMatched());
    EXPECT_FALSE(PatternMatches(nullptr, u"abc", 3));
}

TEST(PatternSyntax, CompilingAgainReplacesThePattern) {
    CPatternT<char16_t> pattern(u"(a)(b)");
    EXPECT_EQ(pattern.GetMaxGroupNumber(), 2);
    pattern.Compile(u"x+", 0);
    EXPECT_EQ(pattern.GetMaxGroupNumber(), 0);
    const CMatchResult result = pattern.Search(u"abxx");
    ASSERT_TRUE(result.IsMatched());
    EXPECT_EQ(result.GetStart(), 2);
    EXPECT_EQ(result.GetEnd(), 4);
    pattern.Compile(nullptr, 0);
    EXPECT_FALSE(pattern.Search(u"abxx").IsMatched());
}

}  // namespace
}  // namespace qx::pattern::testing
