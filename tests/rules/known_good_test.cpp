// Files whose CRC-64/WE is on the known-good list: levels 1 and 2 are
// cancelled, trojans are not. Each file is given a listed fingerprint by eight
// computed bytes at its end.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "fingerprint.h"
#include "rule_test_support.h"
#include "rules/rule_sets.h"
#include "temp_tree.h"

namespace qx::test {
namespace {

constexpr std::uint64_t kKnownGood[] = {0xE11C5B6F1FECB34Cull, 0xF9EA29B44FAE2EDEull};

struct KnownGoodCase {
    const char* what;
    RuleSet rule_set;
    std::string content;
    int verdict_otherwise;
    int verdict_when_known_good;
};

TEST(KnownGood, CancelsLevelsOneAndTwoOnly) {
    const KnownGoodCase cases[] = {
        {"ASP component, level 2", CheckAspFile, "<% CreateObject(\"WScript.Shell\") %>", 2, 0},
        {"ASP eval, level 1", CheckAspFile, "<% eval x %>", 1, 0},
        {"ASP upload module, level 1", CheckAspFile, "ADODB.Stream upfile_5xsoft_stream", 1, 0},
        {"ASP named row, trojan", CheckAspFile, "WScript.Shell 海阳顶端网", 3, 3},
        {"ASPX webshell, level 2", CheckAspxFile, "ShowFileM RunCmd ReadReg", 2, 0},
        {"ASPX Run, level 1", CheckAspxFile, "p.Run(c)", 1, 0},
        {"PHPSPY2006, level 2", CheckPhpFile, "mysqldown mysqlfun mixdll", 2, 0},
        {"PHPSPY2008, trojan", CheckPhpFile, "phpspypass tmp_angel", 3, 3},
        {"PHP system, level 1", CheckPhpFile, "<?php system($c); ?>", 1, 0},
        {"JSP runtime exec, level 2", CheckJspFile, "Runtime.getRuntime().exec(c).getInputStream()",
         2, 0},
        {"JSP named row, trojan", CheckJspFile,
         "Runtime.getRuntime().exec(c).getInputStream() exercliento", 3, 3},
    };
    TempTree dir;
    for (const KnownGoodCase& c : cases) {
        SCOPED_TRACE(c.what);
        // The forced bytes stand on a line of their own after the content.
        const std::string content = Encode(c.content + "\r\n", Encoding::kUtf8WithMark);
        for (const std::uint64_t fingerprint : kKnownGood) {
            const auto file =
                dir.Write("known", content + BytesForcingFingerprint(content, fingerprint));
            ASSERT_EQ(FileFingerprint(file.u16string()), fingerprint);
            const RuleResult result = RunRuleSetOn(c.rule_set, file);
            EXPECT_EQ(result.verdict, c.verdict_when_known_good);
            EXPECT_FALSE(result.no_reason) << "the reason of the cancelled finding stays";
        }
        const auto other = dir.Write("other", content + BytesForcingFingerprint(content, 42));
        EXPECT_EQ(RunRuleSetOn(c.rule_set, other).verdict, c.verdict_otherwise);
    }
}

}  // namespace
}  // namespace qx::test
