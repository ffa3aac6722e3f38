// Differential test against the 16-bit PCRE2 library: a fixed-seed batch of
// random patterns and texts, built only from constructs on which both engines
// agree, must give the same match and the same groups.
//
// Left out, and why:
// - Quantifiers over a body that can match in more than one way or match
//   empty. Our greedy quantifier, when the last iteration finds another way,
//   keeps that many iterations instead of trying further ones, and it never
//   counts an empty iteration; PCRE2 retries and counts differently. Bodies
//   here are single units, fixed strings or groups of those.
// - Lookbehind of variable length (PCRE2 refuses it), and groups or
//   backreferences inside lookbehind.
// - Right-to-left searching, recursion and conditions (PCRE2 has no
//   right-to-left mode; its recursions keep their captures apart; the capture
//   state a condition sees differs after backtracking).
// - Named groups (numbered after the unnamed ones here, in order there),
//   `{,n}`, \G, \Q..\E quirks and free spacing.
// - \s against FF and VT (the texts hold neither), CR in the texts (a line
//   break for our line anchors, not for PCRE2 with LF newlines) and units
//   above 127.
#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "pattern_test_support.h"

namespace qx::pattern::testing {
namespace {

class PatternGenerator {
  public:
    explicit PatternGenerator(std::uint32_t seed) : random_(seed) {}

    std::string Next() {
        groups_ = 0;
        closed_.clear();
        std::string pattern;
        static const char* const kPrefixes[] = {"", "", "", "", "(?i)", "(?m)", "(?s)"};
        pattern += kPrefixes[Pick(7)];
        pattern += Alternation(3);
        return pattern;
    }

    std::u16string Text() {
        static const char16_t kAlphabet[] = u"aaabbbcABC _1.-\n";
        std::u16string text;
        const int length = Pick(13);
        for (int i = 0; i < length; ++i) text.push_back(kAlphabet[Pick(16)]);
        return text;
    }

  private:
    int Pick(int count) { return static_cast<int>(random_() % static_cast<unsigned>(count)); }

    std::string Alternation(int depth) {
        std::string text = Sequence(depth);
        for (int more = Pick(4) == 0 ? 1 + Pick(2) : 0; more > 0; --more)
            text += "|" + Sequence(depth);
        return text;
    }

    std::string Sequence(int depth) {
        std::string text;
        for (int items = 1 + Pick(4); items > 0; --items) text += Item(depth);
        return text;
    }

    std::string Item(int depth) {
        if (depth <= 0 || Pick(3) != 0) return Simple() + (Pick(2) == 0 ? Quantifier() : "");
        switch (Pick(9)) {
            case 0:
            case 1: {
                const int number = ++groups_;
                std::string text = "(" + Alternation(depth - 1) + ")";
                closed_.push_back(number);
                return text;
            }
            case 2:
                return "(?:" + Alternation(depth - 1) + ")";
            case 3:
                return "(?>" + Alternation(depth - 1) + ")" + (Pick(3) == 0 ? Quantifier() : "");
            case 4:
                return (Pick(2) ? "(?=" : "(?!") + Alternation(depth - 1) + ")";
            case 5:
                return std::string(Pick(2) ? "(?<=" : "(?<!") + FixedRun() + ")";
            case 6: {
                static const char* const kAnchors[] = {"^", "$", "\\b", "\\B", "\\A", "\\z", "\\Z"};
                return kAnchors[Pick(7)];
            }
            case 7:
                if (!closed_.empty())
                    return "\\" + std::to_string(closed_[Pick(int(closed_.size()))]);
                return Simple();
            default:
                return std::string(Pick(2) ? "(?i:" : "(?-i:") + Alternation(depth - 1) + ")";
        }
    }

    // An atom with exactly one way to match: a unit, a set, a class, or a
    // group of those.
    std::string Simple() {
        switch (Pick(10)) {
            case 0:
            case 1:
            case 2: {
                static const char kLiterals[] = "abcAB_1 -";
                return std::string(1, kLiterals[Pick(9)]);
            }
            case 3: {
                static const char* const kEscapes[] = {"\\w", "\\W", "\\d", "\\D",
                                                       "\\s", "\\S", "\\.", "\\n"};
                return kEscapes[Pick(8)];
            }
            case 4:
                return ".";
            case 5:
            case 6: {
                static const char* const kSets[] = {
                    "[abc]",         "[^a-c]", "[a-c_]", "[\\d.]", "[[:alpha:]]",
                    "[^[:digit:]b]", "[A-Ca]", "[^\\w]", "[-a]",   "[\\s1]"};
                return kSets[Pick(10)];
            }
            case 7: {
                const int number = ++groups_;
                std::string text = "(" + FixedRun() + ")";
                closed_.push_back(number);
                return text;
            }
            case 8:
                return "(?:" + FixedRun() + ")";
            default:
                return "ab";
        }
    }

    std::string FixedRun() {
        static const char* const kPieces[] = {"a", "b",   "c", "[ab]", "\\w",
                                              ".", "\\d", " ", "\\n",  "[^b]"};
        std::string text;
        for (int pieces = 1 + Pick(3); pieces > 0; --pieces) text += kPieces[Pick(10)];
        return text;
    }

    std::string Quantifier() {
        static const char* const kCounts[] = {"*", "+", "?", "{2}", "{1,3}", "{0,2}", "{2,}"};
        static const char* const kModes[] = {"", "", "?", "+"};
        return std::string(kCounts[Pick(7)]) + kModes[Pick(4)];
    }

    std::mt19937 random_;
    int groups_ = 0;
    std::vector<int> closed_;
};

Groups SearchWithPcre2(const std::string& pattern, const std::u16string& text, bool& compiled) {
    std::u16string wide(pattern.begin(), pattern.end());
    pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
    pcre2_set_newline(context, PCRE2_NEWLINE_LF);
    int error = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code* code =
        pcre2_compile(reinterpret_cast<PCRE2_SPTR>(wide.c_str()), wide.size(),
                      PCRE2_DOLLAR_ENDONLY | PCRE2_ALT_CIRCUMFLEX, &error, &offset, context);
    pcre2_compile_context_free(context);
    Groups groups;
    compiled = code != nullptr;
    if (code == nullptr) return groups;
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(code, nullptr);
    const int found = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), 0,
                                  0, data, nullptr);
    if (found > 0) {
        std::uint32_t count = 0;
        pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &count);
        const PCRE2_SIZE* vector = pcre2_get_ovector_pointer(data);
        for (std::uint32_t group = 0; group <= count; ++group) {
            const bool set =
                group < static_cast<std::uint32_t>(found) && vector[2 * group] != PCRE2_UNSET;
            groups.emplace_back(set ? static_cast<int>(vector[2 * group]) : -1,
                                set ? static_cast<int>(vector[2 * group + 1]) : -1);
        }
    }
    pcre2_match_data_free(data);
    pcre2_code_free(code);
    return groups;
}

TEST(PatternAgainstPcre2, RandomPatternsAgree) {
    PatternGenerator generator(1234567);
    int compared = 0;
    int mismatches = 0;
    for (int round = 0; round < 4000; ++round) {
        const std::string pattern = generator.Next();
        for (int sample = 0; sample < 6; ++sample) {
            const std::u16string text = generator.Text();
            bool compiled = false;
            const Groups expected = SearchWithPcre2(pattern, text, compiled);
            ASSERT_TRUE(compiled) << pattern;
            const Groups actual = Search(std::u16string(pattern.begin(), pattern.end()), text);
            ++compared;
            if (actual != expected && ++mismatches <= 10) {
                ADD_FAILURE() << "pattern \"" << pattern << "\" text \"" << Printable(text) << "\"";
                EXPECT_EQ(actual, expected);
            }
        }
    }
    EXPECT_EQ(mismatches, 0) << "of " << compared << " searches";
}

}  // namespace
}  // namespace qx::pattern::testing
