// The bounds: no pattern and no text may overflow a worker's stack or keep a
// search running without end. At a bound the search answers "no match".
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "pattern_script_text.h"
#include "pattern_test_support.h"

namespace qx::pattern::testing {
namespace {

constexpr std::size_t kWorkerStack = std::size_t{1} << 20;  // a Windows thread's default

std::u16string Repeat(std::u16string_view piece, int times) {
    std::u16string text;
    for (int i = 0; i < times; ++i) text += piece;
    return text;
}

struct Bounded {
    bool matched;
    bool aborted;
};

Bounded SearchBounded(const std::u16string& pattern, const std::u16string& text, int flags = 0) {
    CPatternT<char16_t> compiled(pattern.data(), static_cast<int>(pattern.size()), flags);
    CMatchContext context;
    const bool matched = compiled.Search(text.data(), text.size(), context).IsMatched();
    return {matched, context.Aborted()};
}

TEST(PatternBounds, EndlessRecursionStopsAtTheDepthBound) {
    const std::u16string text = Repeat(u"a", 4000);
    const std::vector<std::u16string> patterns = {
        u"(?R)",           u"a(?R)",        u"(?:(?R))*",      u"(?:(?R))+?", u"(?:(?R))++",
        u"(?=(?R))",       u"(?<=(?R))",    u"(?>(?R))",       u"((?R))",     u"(?R)|x",
        u"(?(?=a)(?R)|b)", u"(?:a|(?R))+b", u"(a(?1)?b)*(?R)", u"(?!(?R))",   u"(?<n>(?R<n>))",
    };
    RunOnThreadWithStack(kWorkerStack, [&] {
        for (const std::u16string& pattern : patterns) {
            const Bounded result = SearchBounded(pattern, text);
            EXPECT_FALSE(result.matched) << Printable(pattern);
            EXPECT_TRUE(result.aborted) << Printable(pattern);
        }
    });
}

TEST(PatternBounds, DeepRecursionThatEndsStillMatches) {
    // Balanced parentheses nested 300 deep stay inside the depth bound.
    const std::u16string text = Repeat(u"(", 300) + Repeat(u")", 300);
    RunOnThreadWithStack(kWorkerStack, [&] {
        const Bounded result = SearchBounded(u"\\((?:[^()]|(?R))*\\)", text);
        EXPECT_TRUE(result.matched);
        EXPECT_FALSE(result.aborted);
    });
}

TEST(PatternBounds, CatastrophicBacktrackingStopsAtTheWorkBound) {
    // Exponential for a backtracking matcher: every way of splitting the a's
    // among the iterations is tried before the search gives up.
    const std::u16string as = Repeat(u"a", 40);
    const std::vector<std::pair<std::u16string, std::u16string>> cases = {
        {u"(?:a|a){25}b", as},
        {u"(?:a+){10}b", as},
        {u"(.*a){12}b", as},
        {u"(a?){25}a{25}b", as},
        {u"(?:\\b{999999}){999999}", u"a"},  // nothing consumed, ever
        {u"(?:a{999999}){999999}x", Repeat(u"a", 5000)},
        {u"(?:(){999999}){999999}", u"a"},  // captures pile up: the memory bound
        // Few calls, but each compares up to 50 000 units.
        {u"(.*)\\1x", Repeat(u"a", 100000)},
    };
    RunOnThreadWithStack(kWorkerStack, [&] {
        for (const auto& [pattern, text] : cases) {
            const auto start = std::chrono::steady_clock::now();
            const Bounded result = SearchBounded(pattern, text);
            const auto seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            EXPECT_FALSE(result.matched) << Printable(pattern);
            EXPECT_TRUE(result.aborted) << Printable(pattern);
            EXPECT_LT(seconds, 60.0) << Printable(pattern);
        }
    });
}

TEST(PatternBounds, DeepNestingCompilesToAPatternThatNeverMatches) {
    RunOnThreadWithStack(kWorkerStack, [&] {
        for (const char16_t* open : {u"(", u"(?:", u"(?=", u"(?<=", u"(?>", u"(?(?=", u"(?i("}) {
            const std::u16string tooDeep = Repeat(open, 20000) + u"a";
            EXPECT_FALSE(PatternMatches(tooDeep.c_str(), u"a", 1)) << Printable(open);
        }
        const std::u16string deepest =
            Repeat(u"(?:", kMaxNestingDepth) + u"a" + Repeat(u")", kMaxNestingDepth);
        EXPECT_TRUE(PatternMatches(deepest.c_str(), u"a", 1));
        const std::u16string oneTooDeep =
            Repeat(u"(?:", kMaxNestingDepth + 1) + u"a" + Repeat(u")", kMaxNestingDepth + 1);
        EXPECT_FALSE(PatternMatches(oneTooDeep.c_str(), u"a", 1));
    });
}

TEST(PatternBounds, LongFlatPatternsAndTextsAreFine) {
    RunOnThreadWithStack(kWorkerStack, [&] {
        const std::u16string alternatives = Repeat(u"ab|", 50000) + u"needle";
        const std::u16string text = Repeat(u"c", 1000) + u"needle";
        EXPECT_TRUE(PatternMatches(alternatives.c_str(), text.data(), text.size()));
        const std::u16string sequence = Repeat(u"(a)", 20000);
        const std::u16string as = Repeat(u"a", 20000);
        EXPECT_TRUE(PatternMatches(sequence.c_str(), as.data(), as.size()));
    });
}

TEST(PatternBounds, RulePatternsOnOrdinaryScriptTextStayFarBelowTheBounds) {
    const std::u16string text = qx::bench::MakeFoldedScriptText(std::size_t{1} << 18);
    for (const char16_t* pattern :
         {u"set\\s*.*\\s*=\\s*server\\s", u"\\beval\\b", u"[^.]\\bexecute(global)?\\b",
          u"\\<\\!\\-\\-\\s*\\#include\\s*file\\s*=\\s*(\")?[^\\s]*\\.((?!asp|asa|inc)\\w)+\\s*"
          u"(\")?\\s*\\-\\-\\>",
          u"\\b(system|exec|shell_exec|popen|proc_open|passthru|pcntl_exec)\\b"}) {
        CPatternT<char16_t> compiled(pattern);
        CMatchContext context;
        EXPECT_FALSE(compiled.Search(text.data(), text.size(), context).IsMatched());
        EXPECT_FALSE(context.Aborted()) << Printable(pattern);
        // A quarter of the allowance at most.
        EXPECT_LT(context.WorkUsed(), kWorkPerUnit * static_cast<std::int64_t>(text.size()) / 4)
            << Printable(pattern);
    }
}

TEST(PatternBounds, SeveralThreadsSearchOneCompiledPattern) {
    CPatternT<char16_t> pattern(u"(\\w+)@(\\w+)\\.com");
    const std::u16string text = Repeat(u"x ", 5000) + u"mail me at joe@example.com today";
    std::vector<std::thread> threads;
    std::vector<int> starts(4, -2), hosts(4, -2);
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&, i] {
            for (int round = 0; round < 50; ++round) {
                const CMatchResult result = pattern.Search(text.data(), text.size());
                starts[i] = result.GetStart();
                hosts[i] = result.GetGroupStart(2);
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(starts[i], 10011);
        EXPECT_EQ(hosts[i], 10015);
    }
}

TEST(PatternBounds, OverlongTextsAreRefused) {
    CPatternT<char16_t> pattern(u"a");
    EXPECT_FALSE(pattern.Search(u"a", static_cast<std::size_t>(kMaxTextLength) + 1).IsMatched());
    EXPECT_FALSE(pattern.Search(nullptr, 5).IsMatched());
    EXPECT_FALSE(pattern.Search(nullptr).IsMatched());
    CPatternT<char16_t> empty(u"");
    EXPECT_TRUE(empty.Search(nullptr, 0).IsMatched());
}

}  // namespace
}  // namespace qx::pattern::testing
