// The frame every rule set shares: folding, keyword search, reading, and what
// happens to files that cannot be read.
#include "rules/rule_frame.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "rule_test_support.h"
#include "rules/rule_sets.h"
#include "temp_tree.h"

namespace qx::test {
namespace {

using namespace std::string_view_literals;

TEST(FoldText, LowersAsciiLettersOnly) {
    std::u16string text = u"AZaz@[`{ÀÉ\u0130Ａ中\u00DF\U0001F600";
    FoldText(text);
    EXPECT_EQ(text, u"azaz@[`{ÀÉ\u0130Ａ中\u00DF\U0001F600");
}

TEST(FindKeyword, ExactUnitsAnywhere) {
    constexpr std::u16string_view text = u"abc\0def"sv;
    struct {
        std::u16string_view keyword;
        bool found;
    } const cases[] = {
        {u"", true},      {u"abc", true},  {u"def", true},          {u"c\0d"sv, true},
        {u"abcd", false}, {u"ABC", false}, {u"abc\0def!"sv, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindKeyword(text, c.keyword), c.found)
            << "keyword of " << c.keyword.size() << " units";
    }
    EXPECT_TRUE(FindKeyword(u"", u""));
    EXPECT_FALSE(FindKeyword(u"", u"a"));
}

TEST(RuleFrame, NothingToReadGivesNoReason) {
    TempTree dir;
    const RuleSet rule_sets[] = {CheckAspFile, CheckAspxFile, CheckPhpFile, CheckJspFile};
    const std::filesystem::path files[] = {
        dir.Write("empty.asp", ""),
        dir.Write("mark-only.asp", "\xFF\xFE"),
        dir.Write("utf8-mark-only.asp", "\xEF\xBB\xBF"),
        dir.Root() / "missing.asp",
        dir.Root(),  // a directory is not a text file
    };
    for (const RuleSet rule_set : rule_sets) {
        for (const auto& file : files) {
            SCOPED_TRACE(file.string());
            const RuleResult result = RunRuleSetOn(rule_set, file);
            EXPECT_EQ(result.verdict, 0);
            EXPECT_TRUE(result.no_reason);
        }
    }
}

TEST(RuleFrame, NothingHidesBehindNul) {
    const std::string hidden = std::string("<p>harmless</p>\0\0", 18) + "<?php eval($x); ?>";
    TempTree dir;
    for (const Encoding encoding :
         {Encoding::kUtf8WithMark, Encoding::kUtf16LeWithMark, Encoding::kUtf16BeWithMark}) {
        SCOPED_TRACE(EncodingName(encoding));
        const RuleResult result =
            RunRuleSetOn(CheckPhpFile, dir.Write("hidden.php", Encode(hidden, encoding)));
        EXPECT_EQ(result.verdict, 1);
    }
}

#ifdef __linux__
TEST(RuleFrame, AFailedReadIsNoFinding) {
    // /proc/self/mem opens as a regular file, but reading at offset 0 fails.
    const RuleResult result = RunRuleSetOn(CheckAspFile, "/proc/self/mem");
    EXPECT_EQ(result.verdict, 0);
    EXPECT_TRUE(result.no_reason);
}
#endif

}  // namespace
}  // namespace qx::test
