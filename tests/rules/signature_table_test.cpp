// Invariants of the fixed detection data that the cascades rely on.
#include "rules/signature_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>

namespace qx::test {
namespace {

std::u16string_view Terminated(const char16_t* field, std::size_t capacity) {
    const char16_t* end = std::find(field, field + capacity, u'\0');
    EXPECT_NE(end, field + capacity) << "field not terminated";
    return {field, static_cast<std::size_t>(end - field)};
}

TEST(SignatureTable, RowsAreTerminatedLowerCaseKeywords) {
    for (std::size_t row = 0; row < kSignatureRows; ++row) {
        SCOPED_TRACE(row);
        const SignatureRecord& record = SignatureTable[row];
        EXPECT_FALSE(Terminated(record.name, std::size(record.name)).empty());
        const std::u16string_view pattern = Terminated(record.pattern, std::size(record.pattern));
        EXPECT_FALSE(pattern.empty());
        // Keywords are searched in folded text, so an upper-case letter could
        // never be found.
        EXPECT_TRUE(std::none_of(pattern.begin(), pattern.end(),
                                 [](char16_t c) { return c >= u'A' && c <= u'Z'; }));
    }
}

TEST(SignatureTable, KeywordsWithDelicateCharacters) {
    // Quotes, backslashes and doubled blanks are easy to lose in a literal.
    EXPECT_EQ(std::u16string_view(SignatureTable[19].pattern),
              u"loop until  (iformstart+2) = iformend");
    EXPECT_EQ(std::u16string_view(SignatureTable[25].pattern), u"\"cmd.exe\"");
    EXPECT_EQ(std::u16string_view(SignatureTable[14].pattern), u"pcanywhere\\citempl.cif");
    EXPECT_EQ(std::u16string_view(SignatureTable[33].pattern), u"<?@eval(\\$_request[a])?>");
    EXPECT_EQ(std::u16string_view(SignatureTable[56].pattern), u"system(\\$_get[cpc]);exit;");
    EXPECT_EQ(std::u16string_view(SignatureTable[35].pattern),
              std::u16string_view(SignatureTable[42].pattern));
}

TEST(KnownGoodFingerprints, LowWordFirstAndZeroEnded) {
    EXPECT_EQ(KnownGoodFingerprints[0][0], 0x1FECB34Cu);
    EXPECT_EQ(KnownGoodFingerprints[0][1], 0xE11C5B6Fu);
    EXPECT_EQ(KnownGoodFingerprints[1][0], 0x4FAE2EDEu);
    EXPECT_EQ(KnownGoodFingerprints[1][1], 0xF9EA29B4u);
    EXPECT_EQ(KnownGoodFingerprints[2][0], 0u);
    EXPECT_EQ(KnownGoodFingerprints[2][1], 0u);
    EXPECT_TRUE(IsKnownGoodFingerprint(0xE11C5B6F1FECB34Cull));
    EXPECT_TRUE(IsKnownGoodFingerprint(0xF9EA29B44FAE2EDEull));
    EXPECT_FALSE(IsKnownGoodFingerprint(0));
    EXPECT_FALSE(IsKnownGoodFingerprint(0x1FECB34CE11C5B6Full));  // words swapped
}

}  // namespace
}  // namespace qx::test
