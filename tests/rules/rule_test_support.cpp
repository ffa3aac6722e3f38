#include "rule_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "fingerprint.h"
#include "os/codepage.h"
#include "rules/rule_index.h"
#include "temp_tree.h"

namespace qx::test {

std::string Encode(std::string_view utf8, Encoding encoding) {
    if (encoding == Encoding::kPlain) return std::string(utf8);
    if (encoding == Encoding::kUtf8WithMark) return "\xEF\xBB\xBF" + std::string(utf8);
    const std::u16string text = os::Utf8ToUtf16(utf8);
    return encoding == Encoding::kUtf16LeWithMark ? Utf16Le(text) : Utf16Be(text);
}

const char* EncodingName(Encoding encoding) {
    switch (encoding) {
        case Encoding::kPlain:
            return "plain";
        case Encoding::kUtf8WithMark:
            return "UTF-8 with mark";
        case Encoding::kUtf16LeWithMark:
            return "UTF-16 LE";
        case Encoding::kUtf16BeWithMark:
            return "UTF-16 BE";
    }
    return "?";
}

std::string AsciiUpper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 0x20);
    }
    return upper;
}

RuleResult RunRuleSetOn(RuleSet rule_set, const std::filesystem::path& file) {
    const Rating rating = rule_set(file.u16string());
    EXPECT_LE(rating.reason.size(), kMaxReasonUnits);
    return {rating.verdict, os::Utf16ToUtf8(rating.reason), rating.reason.empty()};
}

void ExpectBothWaysAlike(Family family, std::u16string text) {
    FoldText(text);
    const CascadeRating reference = RunCascade(CascadeOf(family), text);
    const CascadeRating one_pass = RunCascade(CascadeOf(family), text, &RuleIndexOf(family));
    EXPECT_EQ(one_pass.rating.verdict, reference.rating.verdict);
    EXPECT_EQ(one_pass.rating.reason, reference.rating.reason);
    EXPECT_EQ(one_pass.search_stopped, reference.search_stopped);
}

void ExpectRuleCases(RuleSet rule_set, std::span<const RuleCase> cases) {
    const Family family = rule_set == CheckAspFile    ? Family::kAsp
                          : rule_set == CheckAspxFile ? Family::kAspx
                          : rule_set == CheckPhpFile  ? Family::kPhp
                                                      : Family::kJsp;
    TempTree dir;
    for (const RuleCase& rule_case : cases) {
        ExpectBothWaysAlike(family, os::Utf8ToUtf16(rule_case.content));
        const bool ascii = std::all_of(rule_case.content.begin(), rule_case.content.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        const std::string variants[] = {rule_case.content, AsciiUpper(rule_case.content)};
        for (const std::string& content : variants) {
            for (const Encoding encoding :
                 {Encoding::kPlain, Encoding::kUtf8WithMark, Encoding::kUtf16LeWithMark,
                  Encoding::kUtf16BeWithMark}) {
                if (encoding == Encoding::kPlain && !ascii) continue;
                SCOPED_TRACE(::testing::Message()
                             << rule_case.reaches << " (" << EncodingName(encoding)
                             << (&content == &variants[0] ? "" : ", upper case") << ")");
                const RuleResult result =
                    RunRuleSetOn(rule_set, dir.Write("case", Encode(content, encoding)));
                EXPECT_EQ(result.verdict, rule_case.verdict);
                if (rule_case.reason == nullptr) {
                    EXPECT_TRUE(result.no_reason) << "reason given: " << result.reason;
                } else {
                    EXPECT_EQ(result.reason, rule_case.reason);
                }
            }
        }
    }
}

std::string BytesForcingFingerprint(std::string_view content, std::uint64_t target) {
    // The CRC of content + x is affine in the 64 bits of x: solve
    // L x = target ^ crc(content + 0) over GF(2), L's columns being the
    // changes made by each single bit.
    const std::uint64_t start = Crc64WeUpdate(kCrc64WeInit, content.data(), content.size());
    const auto crc_with = [start](std::uint64_t x) {
        std::array<unsigned char, 8> bytes;
        for (int i = 0; i < 8; ++i) bytes[i] = static_cast<unsigned char>(x >> (56 - 8 * i));
        return ~Crc64WeUpdate(start, bytes.data(), bytes.size());
    };
    const std::uint64_t base = crc_with(0);

    struct Combination {
        std::uint64_t change = 0;  // what the chosen bits change in the CRC
        std::uint64_t bits = 0;    // the chosen bits of x
    };
    std::array<Combination, 64> by_top_bit{};
    for (int k = 0; k < 64; ++k) {
        Combination c{crc_with(std::uint64_t{1} << k) ^ base, std::uint64_t{1} << k};
        for (int bit = 63; bit >= 0 && c.change != 0; --bit) {
            if ((c.change >> bit & 1) == 0) continue;
            if (by_top_bit[bit].change == 0) {
                by_top_bit[bit] = c;
                break;
            }
            c.change ^= by_top_bit[bit].change;
            c.bits ^= by_top_bit[bit].bits;
        }
    }
    Combination wanted{target ^ base, 0};
    for (int bit = 63; bit >= 0; --bit) {
        if ((wanted.change >> bit & 1) == 0) continue;
        EXPECT_NE(by_top_bit[bit].change, 0u) << "CRC not invertible";
        wanted.change ^= by_top_bit[bit].change;
        wanted.bits ^= by_top_bit[bit].bits;
    }
    std::string bytes(8, '\0');
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<char>(wanted.bits >> (56 - 8 * i));
    return bytes;
}

}  // namespace qx::test
