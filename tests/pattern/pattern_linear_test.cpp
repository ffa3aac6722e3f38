// Test and its linear search: which patterns it takes, that it answers as the
// backtracker does, and that bait which stalls the backtracker cannot hide a
// match from it.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "pattern_test_support.h"

namespace qx::pattern::testing {
namespace {

std::u16string Repeat(std::u16string_view piece, std::size_t units) {
    std::u16string text;
    while (text.size() < units) text += piece;
    text.resize(units);
    return text;
}

TEST(PatternLinear, WhichPatternsItTakes) {
    const std::vector<std::pair<std::u16string_view, bool>> cases = {
        {u"a|b(c|d)*e?", true},
        {u"(?:ab|cd)*x", true},  // every iteration is two units
        {u"(?:a|ab)*?c", true},  // a lazy quantifier tries every way
        {u"(?:a|ab)*c", false},  // a greedy one gives back only its last
        {u"(?:a?)+", false},     // iterations of varying width
        {u"(?>a|b)c", true},     // atomic, but all its ways end alike
        {u"(?>a|ab)c", false},
        {u"(?=abc|d)\\w", true},  // lookaround over a bounded width
        {u"(?<!ab|c)x", true},
        {u"(?=a*)x", false},  // ... and over an unbounded one
        {u"(?<=a+)x", false},
        {u"a*+b", false},           // possessive
        {u"(a)\\1", false},         // backreference
        {u"(a(?1)?b)", false},      // recursion
        {u"(a)?(?(1)b|c)", false},  // condition
        {u"(?i)^\\bA[[:digit:]\\s]$\\G", true},
        {u"a{1000}", true},
        {u"a{2000}", false},  // too many steps
        {u"x(?=a{500})", true},
        {u"x(?=[ab]{0,200}c)", true},
        {u"x(?=(?:[ab]{0,80}c){2})", false},  // too costly per unit
    };
    for (const auto& [pattern, linear] : cases) {
        CPatternT<char16_t> compiled(pattern.data(), static_cast<int>(pattern.size()), 0);
        EXPECT_EQ(compiled.LinearSearchable(), linear) << Printable(pattern);
    }
    CPatternT<char16_t> rightToLeft(u"abc", 3, PF_RIGHT_TO_LEFT);
    EXPECT_FALSE(rightToLeft.LinearSearchable());
}

// Random patterns over the constructs the linear search takes, every flag
// that changes what an element means, and every start position.
class LinearPatterns {
  public:
    std::u16string Next() { return Alternation(3); }
    int Flags() { return Pick(3) == 0 ? 1 << Pick(4) : 0; }
    std::u16string Text() {
        static const char16_t kAlphabet[] = u"aabbcABC _1.\n\r\u4e2d";
        std::u16string text;
        for (int length = Pick(12); length > 0; --length) text.push_back(kAlphabet[Pick(15)]);
        return text;
    }

  private:
    int Pick(int count) { return static_cast<int>(random_() % static_cast<unsigned>(count)); }

    std::u16string Alternation(int depth) {
        std::u16string text = Sequence(depth);
        while (Pick(4) == 0) {
            text += u'|';
            text += Sequence(depth);
        }
        return text;
    }
    std::u16string Sequence(int depth) {
        static const char16_t* const kQuantifiers[] = {u"*",    u"+",  u"?",  u"{2}",   u"{1,3}",
                                                       u"{2,}", u"*?", u"??", u"{0,2}?"};
        std::u16string text;
        for (int items = 1 + Pick(3); items > 0; --items) {
            text += Item(depth);
            if (Pick(3) == 0) text += kQuantifiers[Pick(9)];
        }
        return text;
    }
    std::u16string Item(int depth) {
        static const char16_t* const kAtoms[] = {
            u"a",   u"b",   u"ab",  u"A",   u" ",    u"\\.",    u"\\n",         u"\\w", u"\\W",
            u"\\s", u"\\S", u"\\d", u".",   u"[^a]", u"[a-c_]", u"[[:alpha:]]", u"^",   u"$",
            u"\\b", u"\\B", u"\\A", u"\\z", u"\\Z",  u"\\G",    u"\u4e2d"};
        static const char16_t* const kGroups[] = {u"(",    u"(?:", u"(?=",  u"(?!",  u"(?<=",
                                                  u"(?<!", u"(?>", u"(?i:", u"(?m:", u"(?s:"};
        if (depth == 0 || Pick(3) != 0) return kAtoms[Pick(25)];
        std::u16string text = kGroups[Pick(10)];
        text += Alternation(depth - 1);
        text += u')';
        return text;
    }

    std::mt19937 random_{20240611};
};

TEST(PatternLinear, AnswersAsTheBacktrackerDoes) {
    LinearPatterns generator;
    int compared = 0, mismatches = 0;
    for (int round = 0; round < 3000; ++round) {
        const std::u16string source = generator.Next();
        const int flags = generator.Flags();
        const CPatternT<char16_t> pattern(source.data(), static_cast<int>(source.size()), flags);
        if (!pattern.LinearSearchable()) continue;
        for (int sample = 0; sample < 3; ++sample) {
            const std::u16string text = generator.Text();
            for (std::size_t from = 0; from <= text.size(); ++from) {
                const MatchOutcome expected = TestByBacktracking(pattern, text, from);
                if (expected == MatchOutcome::kStopped) continue;
                ++compared;
                if (pattern.Test(text.data(), text.size(), from) != expected && ++mismatches <= 10)
                    ADD_FAILURE() << "pattern \"" << Printable(source) << "\" flags " << flags
                                  << " text \"" << Printable(text) << "\" from " << from;
            }
        }
    }
    EXPECT_EQ(mismatches, 0) << "of " << compared;
    EXPECT_GT(compared, 20000);
}

TEST(PatternLinear, StartsAreTakenFromTheGivenPosition) {
    const CPatternT<char16_t> word(u"\\bab");
    EXPECT_EQ(word.Test(u"xab ab", 6, 1), MatchOutcome::kMatch);    // at 4
    EXPECT_EQ(word.Test(u"xab ab", 6, 5), MatchOutcome::kNoMatch);  // \b sees the 'a' before
    EXPECT_EQ(word.Test(u"xab ab", 6, 6), MatchOutcome::kNoMatch);
    EXPECT_EQ(word.Test(u"xab ab", 6, 7), MatchOutcome::kNoMatch);  // past the end
    const CPatternT<char16_t> behind(u"(?<=x)a");
    EXPECT_EQ(behind.Test(u"xa", 2, 1), MatchOutcome::kMatch);
    const CPatternT<char16_t> begin(u"\\Ga", 3, PF_GLOBAL);  // \G stands for the start given
    EXPECT_EQ(begin.Test(u"ba", 2, 1), MatchOutcome::kMatch);
    EXPECT_EQ(begin.Test(u"ba", 2, 0), MatchOutcome::kNoMatch);
    const CPatternT<char16_t> empty(u"");
    EXPECT_EQ(empty.Test(nullptr, 0), MatchOutcome::kMatch);
}

// What the backtracker cannot finish says so; the linear search never has to.
TEST(PatternLinear, OnlyTheBacktrackerStops) {
    const std::u16string as = Repeat(u"a", 40);
    const CPatternT<char16_t> exponential(u"(?:a|a){25}b");
    ASSERT_TRUE(exponential.LinearSearchable());
    CMatchContext context;
    context.UseBacktracker();
    context.LimitWork(std::int64_t{1} << 20);
    EXPECT_EQ(exponential.Test(as.data(), as.size(), 0, context), MatchOutcome::kStopped);
    EXPECT_EQ(exponential.Test(as.data(), as.size()), MatchOutcome::kNoMatch);

    const std::u16string text = Repeat(u"a", 20000);
    const CPatternT<char16_t> backreference(u"(.*)\\1x");
    EXPECT_EQ(backreference.Test(text.data(), text.size()), MatchOutcome::kStopped);
    EXPECT_EQ(TestPattern(u"(?R)", u"a", 1), MatchOutcome::kStopped);  // the depth bound
    EXPECT_FALSE(PatternMatches(u"(?R)", u"a", 1));

    EXPECT_EQ(exponential.Test(u"a", static_cast<std::size_t>(kMaxTextLength) + 1),
              MatchOutcome::kStopped);
    EXPECT_EQ(exponential.Test(nullptr, 5), MatchOutcome::kStopped);
}

// Bait the backtracker spends seconds per megabyte on, then the real thing.
// The cost is counted in steps per unit of text, not timed.
TEST(PatternLinear, BaitCannotHideAMatch) {
    struct Bait {
        const char16_t* pattern;
        std::u16string_view piece;
        std::u16string_view real;
    };
    const Bait baits[] = {
        {u"set\\s*.*\\s*=\\s*server\\s", u"set ", u"\r\nset x = server\r\n"},
        {u"\\bpreg_replace[^\\s]*\\/e\\b", u"preg_replace/",
         u"<?php @preg_replace(\"/x/e\",$_post['a'],'');"},
    };
    for (const Bait& bait : baits) {
        const CPatternT<char16_t> pattern(bait.pattern);
        const std::u16string text = Repeat(bait.piece, std::size_t{1} << 20);
        const std::u16string searched = text + std::u16string(bait.real);
        CMatchContext context;
        EXPECT_EQ(pattern.Test(searched.data(), searched.size(), 0, context), MatchOutcome::kMatch)
            << Printable(bait.pattern);
        EXPECT_LT(context.WorkUsed(), 8 * static_cast<std::int64_t>(searched.size()))
            << Printable(bait.pattern);

        // On a slice of the bait alone there is nothing to find, and the
        // backtracker cannot tell so within four times those steps per unit.
        const std::u16string slice = text.substr(0, std::size_t{1} << 16);
        EXPECT_EQ(pattern.Test(slice.data(), slice.size()), MatchOutcome::kNoMatch);
        CMatchContext backtracking;
        backtracking.UseBacktracker();
        backtracking.LimitWork(32 * static_cast<std::int64_t>(slice.size()));
        EXPECT_EQ(pattern.Test(slice.data(), slice.size(), 0, backtracking), MatchOutcome::kStopped)
            << Printable(bait.pattern);
    }
}

}  // namespace
}  // namespace qx::pattern::testing
