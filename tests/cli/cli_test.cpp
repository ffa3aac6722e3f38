// The command line as scripts see it: output lines, JSON, exit statuses, and
// bad usage that changes nothing.
#include <gtest/gtest.h>

#include "cli_runner.h"
#include "temp_tree.h"

namespace {

using qx::test::TempTree;
using Result = qx::test::CliResult;

class CliTest : public ::testing::Test {
  protected:
    Result Run(const std::vector<std::string>& args) {
        return qx::test::RunQuellix(args, io_.Root());
    }
    std::string Site() const { return tree_.Root().string(); }

    TempTree tree_, io_;
};

TEST_F(CliTest, ScanWithoutFindings) {
    tree_.Write("index.php", "<?php echo 'hello'; ?>");
    tree_.Write("img/logo.gif", "GIF89a");
    const Result r = Run({"scan", Site()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "本次扫描过程共检查2个文件，未发现可疑的后门木马文件。\n");
    EXPECT_EQ(r.err, "");  // no progress line when standard error is no terminal

    const Result json = Run({"scan", "--json", "--no-progress", Site()});
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(json.out,
              "{\"summary\":{\"files\":2,\"suspicious\":0,\"dangerous\":0,\"trojan\":0,"
              "\"unchecked\":0}}\n");
}

TEST_F(CliTest, ScanReportsFindingsInTextAndJson) {
    tree_.Write("door.php", "<?php eval($_POST[cmd])?>");
    const std::string path = Site() + "/door.php";
    const Result r = Run({"scan", Site()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(
        r.out,
        "木马\t" + path + "\t发现网页木马LankerDoor.PhpSpy！\n" +
            "本次扫描过程共检查1个文件，其中木马脚本文件1个，风险脚本文件0个，可疑脚本文件0个。\n");
    const Result json = Run({"scan", "--json", Site()});
    EXPECT_EQ(json.out,
              "{\"path\":\"" + path +
                  "\",\"verdict\":\"木马\",\"level\":\"trojan\",\"reason\":"
                  "\"发现网页木马LankerDoor.PhpSpy！\"}\n"
                  "{\"summary\":{\"files\":1,\"suspicious\":0,\"dangerous\":0,\"trojan\":1,"
                  "\"unchecked\":0}}\n");
    // Naming other families leaves PHP unrated.
    const Result asp_only = Run({"scan", "--asp", "--jsp", Site()});
    EXPECT_EQ(asp_only.status, 0);
}

TEST_F(CliTest, CleanBlanksAndReports) {
    const std::string code = "<iframe src=http://bad.example width=0></iframe>";
    tree_.Write("a.html", "<body>" + code + "</body>");
    tree_.Write("b.css", "body{}");
    io_.Write("code.txt", "\xEF\xBB\xBF" + code);
    const Result r = Run({"clean", "--code-file", io_.Root().string() + "/code.txt", Site()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "清除成功\t" + Site() + "/a.html\n" +
                         "本次清除过程共扫描2个文件，其中挂马代码页面1个清除成功，0个清除失败。\n");
    EXPECT_EQ(tree_.Read("a.html"), "<body>" + std::string(code.size(), ' ') + "</body>");

    const Result again = Run({"clean", "--json", "--code", code, Site()});
    EXPECT_EQ(again.status, 0);
    EXPECT_EQ(again.out,
              "{\"summary\":{\"files\":2,\"cleaned\":0,\"failed\":0,\"unchecked\":0}}\n");
}

TEST_F(CliTest, BadUsageExitsTwoWithOneLineAndChangesNothing) {
    tree_.Write("a.html", "<x>");
    io_.Write("empty.txt", "");
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"scan"},
        {"scan", "--bogus", Site()},
        {"scan", Site() + "/absent"},
        {"scan", Site(), Site() + "/absent"},
        {"scan", "--min-level", "bogus", Site()},
        {"scan", "--encoding", "NO-SUCH-CODE-SET", Site()},
        {"scan", "--max-filesize", "1X", Site()},
        {"scan", "--max-filesize", "999999999999G", Site()},  // would wrap to a small limit
        {"scan", "--ext", "cobol=.cbl", Site()},
        {"scan", "--ext", "php=php7", Site()},
        {"clean", "--code", "<x>", Site()},
        {"clean", Site()},
        {"clean", "--code", "", Site()},
        {"clean", "--code", "<x>", "--code-file", io_.Root().string() + "/empty.txt", Site()},
        {"clean", "--code-file", io_.Root().string() + "/absent.txt", Site()},
        {"clean", "--code-file", io_.Root().string() + "/empty.txt", Site()},
        {"clean", "--code", std::string(341, 'x'), Site()},
        {"clean", "--code", "<x>", Site() + "/absent"},
    };
    for (const auto& args : cases) {
        const Result r = Run(args);
        std::string shown;
        for (const auto& a : args) shown += a.substr(0, 20) + " ";
        EXPECT_EQ(r.status, 2) << shown;
        EXPECT_EQ(r.out, "") << shown;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << shown << r.err;
        EXPECT_EQ(r.err.rfind("quellix: ", 0), 0u) << shown << r.err;
    }
    EXPECT_EQ(tree_.Read("a.html"), "<x>");
}

TEST_F(CliTest, HelpAndVersionExitZero) {
    for (const auto& [command, operand] : {std::pair{"scan", "PATH"}, std::pair{"clean", "DIR"}}) {
        const Result r = Run({command, "--help"});
        EXPECT_EQ(r.status, 0);
        EXPECT_NE(r.out.find(operand), std::string::npos);
    }
    const Result version = Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("quellix ", 0), 0u);
    EXPECT_EQ(std::count(version.out.begin(), version.out.end(), '\n'), 1);
}

}  // namespace
