// The one-pass way of answering a cascade against the step-by-step reference:
// the same verdict and reason for generated texts that reach every question
// of every cascade, for near misses, and for the sample site.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "rule_test_support.h"
#include "rules/keyword_automaton.h"
#include "rules/rule_index.h"
#include "scan_driver.h"

namespace qx::test {
namespace {

TEST(KeywordAutomaton, FindsEachKeywordsFirstPlace) {
    const KeywordAutomaton automaton({u"he", u"she", u"his", u"hers", u"", u"zz", u"he"});
    std::vector<std::size_t> first;
    automaton.FindFirst(u"ushers said he", first);
    const std::size_t absent = KeywordAutomaton::kAbsent;
    EXPECT_EQ(first, (std::vector<std::size_t>{2, 1, absent, 2, 0, absent, 2}));
}

// Small alphabets make keywords overlap, repeat and share beginnings; a
// keyword of one unit turns the skipping off, and texts shorter than four
// units leave it nothing to look at.
TEST(KeywordAutomaton, FindsWhatASearchForEachKeywordFinds) {
    std::mt19937 random(7);
    const std::u16string alphabet = u"abc\u4e2d$";
    const auto pick = [&](std::size_t most) {
        std::u16string units(random() % (most + 1), u' ');
        for (char16_t& unit : units) unit = alphabet[random() % alphabet.size()];
        return units;
    };
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::u16string> keywords;
        const std::size_t count = 1 + random() % 12, shortest = 1 + random() % 5;
        for (std::size_t k = 0; k < count; ++k) {
            std::u16string keyword = pick(4);
            while (keyword.size() < shortest) keyword += pick(1);
            keywords.push_back(keyword);
        }
        const KeywordAutomaton automaton({keywords.begin(), keywords.end()});
        const std::u16string text = pick(round % 10 == 0 ? 6 : 200);
        std::vector<std::size_t> first;
        automaton.FindFirst(text, first);
        for (std::size_t k = 0; k < count; ++k) {
            const std::size_t expected = text.find(keywords[k]);
            ASSERT_EQ(first[k],
                      expected == std::u16string::npos ? KeywordAutomaton::kAbsent : expected)
                << "round " << round << " keyword " << k;
        }
    }
}

TEST(Exploration, MeetsEveryKeywordAndPatternOfACascade) {
    // A row asked only behind two other answers is still met.
    const CascadeQuestions php = ExploreCascade(PhpCascade);
    const auto has = [&](std::u16string_view keyword) {
        return std::find(php.keywords.begin(), php.keywords.end(), keyword) != php.keywords.end();
    };
    EXPECT_TRUE(has(u"ftp_login"));                               // the last step's second keyword
    EXPECT_TRUE(has(SignatureRow(Signature::kCasus15).pattern));  // the last row of a FirstOf
    EXPECT_EQ(php.patterns.size(), 5u);
}

// Texts made of the family's own keywords and pieces of them, in random
// order and case, with pattern-shaped snippets between them.
std::u16string RandomText(std::mt19937& random, const CascadeQuestions& questions) {
    static const std::u16string snippets[] = {
        u"eval (",
        u"eval(base64_decode(",
        u" execute ",
        u".run ",
        u"set x = server ",
        u"preg_replace(\"/a/e\"",
        u"system(",
        u"new socket(",
        u"<!-- #include file=\"a.txt\" -->",
        u"language=\"vbscript.encode\"",
        u"server.execute(x)",
        u".savetofile ",
        u"\r\n",
        u" ",
        u"\u6D77",
        u"assert(",
    };
    std::u16string text;
    const int pieces = 1 + static_cast<int>(random() % 12);
    for (int i = 0; i < pieces; ++i) {
        switch (random() % 3) {
            case 0: {
                std::u16string_view keyword =
                    questions.keywords[random() % questions.keywords.size()];
                if (random() % 4 == 0)
                    keyword = keyword.substr(0, keyword.size() / 2);  // a near miss
                text.append(keyword);
                break;
            }
            case 1:
                text.append(snippets[random() % std::size(snippets)]);
                break;
            default:
                text.append(std::u16string(random() % 300, u'x'));
                break;
        }
        if (random() % 3 == 0) {
            for (char16_t& unit : text) {
                if (unit >= u'a' && unit <= u'z' && random() % 2) unit -= 32;
            }
        }
    }
    return text;
}

TEST(OnePass, RatesGeneratedTextsAsTheReferenceDoes) {
    std::mt19937 random(20261207);
    for (const Family family : {Family::kAsp, Family::kAspx, Family::kPhp, Family::kJsp}) {
        const CascadeQuestions questions = ExploreCascade(CascadeOf(family));
        for (int trial = 0; trial < 3000; ++trial) {
            const std::u16string text = RandomText(random, questions);
            SCOPED_TRACE(::testing::Message()
                         << "family " << static_cast<int>(family) << " trial " << trial);
            ExpectBothWaysAlike(family, text);
            if (::testing::Test::HasFailure()) return;
        }
    }
}

TEST(OnePass, RatesTheSampleSiteAsTheReferenceDoes) {
    const char* source = std::getenv("QX_SOURCE_DIR");
    if (source == nullptr) GTEST_SKIP() << "QX_SOURCE_DIR is not set";
    const std::u16string root =
        (std::filesystem::path(source) / "samples" / "site").make_preferred().u16string();
    struct Collect : ScanClient {
        void OnFinding(const std::u16string& path, const Finding& finding) override {
            seen.push_back(path + u"|" + finding.rating.reason);
        }
        std::vector<std::u16string> seen;
    } one_pass, reference;
    ScanTree(root, one_pass, {.threads = 1});
    ScanTree(root, reference, {.threads = 1, .reference_rules = true});
    EXPECT_EQ(one_pass.seen, reference.seen);
    EXPECT_EQ(one_pass.seen.size(), 11u);
}

}  // namespace
}  // namespace qx::test
