// YARA rule sets in the scan: the variables rules read, the level a match
// gives a file beside the built-in verdict, the JSON record, rules that do
// not compile, rules saved by yarac, and matches that run out of time.
#include <gtest/gtest.h>

#include <cstdlib>

#include "cli_runner.h"
#include "temp_tree.h"

namespace {

using qx::test::TempTree;
using Result = qx::test::CliResult;

class YaraTest : public ::testing::Test {
  protected:
    Result Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"scan", "--no-progress"});
        return qx::test::RunQuellix(args, io_.Root());
    }
    std::string Rules(std::string_view name, std::string_view text) {
        return rules_.Write(name, text).string();
    }
    std::string Site() const { return tree_.Root().string(); }

    TempTree tree_, rules_, io_;
};

TEST_F(YaraTest, RulesReadTheFilesVariablesAndIncludes) {
    rules_.Write("parts/name.yar", "rule by_name { condition: filename == \"Door.PHP\" }");
    const std::string folder = rules_.Root().string() + "/set";
    rules_.Write("set/vars.yar",
                 "include \"../parts/name.yar\"\n"
                 "rule by_extension { condition: extension == \".php\" and filetype == \"\" }\n"
                 "rule by_path { condition: filepath endswith \"/deep/Door.PHP\" }\n");
    // Only the folder's own .yar and .yara files are rules.
    rules_.Write("set/notes.txt", "not a rule");
    rules_.Write("set/sub/broken.yar", "rule {");
    tree_.Write("deep/Door.PHP", "<?php echo 1;");
    tree_.Write("other.php", "<?php echo 2;");

    const Result r = Run({"--yara", folder, Site()});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(
        r.out.find("危险\t" + Site() + "/deep/Door.PHP\tYARA: by_name, by_extension, by_path\n"),
        std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("危险\t" + Site() + "/other.php\tYARA: by_extension\n"),
              std::string::npos);
}

TEST_F(YaraTest, TheFindingTakesTheHigherLevel) {
    // The built-in rules rate each of these dangerous.
    for (const std::string marker : {"ABOVE", "EQUAL", "BELOW"}) {
        tree_.Write(marker + ".asp",
                    "<% Set s = CreateObject(\"WScript.Shell\") ' " + marker + " %>");
    }
    tree_.Write("only.php", "<?php echo 'ONLY';");
    const std::string rules = Rules("levels.yar",
                                    "rule above { meta: score = 90 strings: $ = \"ABOVE\" "
                                    "condition: all of them }\n"
                                    "rule equal { meta: level = \"dangerous\" score = 90 "
                                    "strings: $ = \"EQUAL\" condition: all of them }\n"
                                    "rule below { meta: score = 10 strings: $ = \"BELOW\" "
                                    "condition: all of them }\n"
                                    "rule only { meta: score = \"39\" strings: $ = \"ONLY\" "
                                    "condition: all of them }\n");
    const Result r = Run({"--yara", rules, Site()});
    EXPECT_EQ(r.status, 1) << r.err;
    const auto has = [&](const std::string& word, const std::string& name) {
        return r.out.find(word + "\t" + Site() + "/" + name + "\t") != std::string::npos;
    };
    EXPECT_TRUE(has("木马", "ABOVE.asp") && has("危险", "EQUAL.asp") && has("危险", "BELOW.asp"))
        << r.out;
    EXPECT_NE(r.out.find("可疑\t" + Site() + "/only.php\tYARA: only\n"), std::string::npos);
    // The built-in reason stays, the rule's name follows it.
    EXPECT_NE(r.out.find("一般被ASP木马利用！ YARA: below\n"), std::string::npos) << r.out;

    const Result dangerous_up = Run({"--min-level", "dangerous", "--yara", rules, Site()});
    EXPECT_EQ(dangerous_up.out.find("only.php"), std::string::npos);
}

TEST_F(YaraTest, JsonRecordsEachMatch) {
    tree_.Write("page.php", "<?php echo 'MARK';");
    const std::string rules =
        Rules("tagged.yar",
              "rule tagged : web php {\n"
              "  meta: author = \"a \\\"b\\\"\\n\\xff\" level = \"trojan\" score = -1 sure = true\n"
              "    author = \"again\"\n"
              "  strings: $ = \"MARK\" condition: all of them }\n");
    const Result r = Run({"--json", "-q", "--yara", rules, Site()});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out,
              "{\"path\":\"" + Site() +
                  "/page.php\",\"verdict\":\"木马\",\"level\":\"trojan\",\"reason\":\"\","
                  "\"yara\":[{\"rule\":\"tagged\",\"namespace\":\"tagged\","
                  "\"tags\":[\"web\",\"php\"],\"meta\":{\"author\":\"a \\\"b\\\"\\u000a\uFFFD\","
                  "\"level\":\"trojan\",\"score\":-1,\"sure\":true}}]}\n");
}

TEST_F(YaraTest, CompileErrorsStopTheRunBeforeAnyScan) {
    tree_.Write("door.php", "<?php eval($_POST[cmd])?>");
    const std::string first =
        Rules("first.yar", "rule a { condition: true }\nrule b { condition: nope }");
    const std::string second = Rules("second.yar", "\n\nrule c { strings: $x = \"x\" condition: }");
    const Result r = Run({"--yara", first, "--yara", second, Site()});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("quellix: " + first + ":2: undefined identifier \"nope\"\n"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("quellix: " + second + ":3: syntax error"), std::string::npos) << r.err;

    const std::string empty = rules_.MakeDirectory("empty").string();
    for (const std::string& source : {empty, rules_.Root().string() + "/absent.yar"}) {
        const Result bad = Run({"--yara", source, Site()});
        EXPECT_EQ(bad.status, 2) << source;
        EXPECT_EQ(bad.out, "");
    }
    EXPECT_EQ(Run({"--yara", first, "--yara-timeout", "0", Site()}).status, 2);
    EXPECT_EQ(Run({"--yara-all-files", Site()}).status, 2);
}

TEST_F(YaraTest, RulesSavedByYaracJoinTheSourceRules) {
    if (std::system("command -v yarac >/dev/null 2>&1") != 0) GTEST_SKIP() << "yarac is absent";
    const std::string text = Rules("saved.yar", "rule saved { condition: extension == \".php\" }");
    const std::string saved = rules_.Root().string() + "/saved.yarc";
    ASSERT_EQ(std::system(("yarac -d extension= " + qx::test::ShellQuote(text) + " " +
                           qx::test::ShellQuote(saved))
                              .c_str()),
              0);
    const std::string source = Rules("source.yar", "rule source { condition: true }");
    tree_.Write("a.php", "<?php echo 1;");
    const Result r = Run({"--yara", saved, "--yara", source, Site()});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "危险\t" + Site() + "/a.php\tYARA: source, saved");
}

TEST_F(YaraTest, RulesFindWhatTheSampleSiteHides) {
    const std::string site = std::string(std::getenv("QX_SOURCE_DIR")) + "/samples/site";
    const std::string rules = Rules("pdo.yar",
                                    "rule pdo_connection { meta: level = \"suspicious\" "
                                    "strings: $ = \"new PDO(\" condition: all of them }");
    // Threads each make their scanners over the one set of rules.
    const Result r = Run({"-j", "4", "--yara", rules, site});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.out.find("可疑\t" + site + "/blog/lib/db.php\tYARA: pdo_connection\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("木马\t" + site + "/blog/uploads/notes.php\t"), std::string::npos);
}

TEST_F(YaraTest, OtherFilesOnlyWithYaraAllFiles) {
    tree_.Write("img/logo.jpg", "\xFF\xD8\xFF<?php system($_GET[c]);");
    const std::string rules = Rules("jpg.yar",
                                    "rule php_in_image { strings: $ = \"<?php\" "
                                    "condition: all of them }");
    EXPECT_EQ(Run({"--yara", rules, Site()}).status, 0);
    const Result all = Run({"--yara", rules, "--yara-all-files", Site()});
    EXPECT_EQ(all.status, 1);
    EXPECT_EQ(all.out, "危险\t" + Site() + "/img/logo.jpg\tYARA: php_in_image\n" +
                           "本次扫描过程共检查1个文件，其中木马脚本文件0个，风险脚本文件1个，"
                           "可疑脚本文件0个。\n");
}

TEST_F(YaraTest, ATimeOutLeavesTheFileUncheckedAndTheScanGoesOn) {
    tree_.Write("a_big.txt", std::string(20 << 20, 'A'));
    tree_.Write("b_door.php", "<?php eval($_POST[cmd])?>");
    const std::string rules = Rules(
        "slow.yar", "rule slow { condition: for all i in (0..filesize - 1) : (uint8(i) == 0x41) }");
    const Result r = Run({"--yara", rules, "--yara-all-files", "--yara-timeout", "1", Site()});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err,
              "quellix: " + Site() + "/a_big.txt: not inspected: YARA timed out after 1 s\n");
    EXPECT_NE(r.out.find("木马\t" + Site() + "/b_door.php\t"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("另有1处未能完整检查"), std::string::npos) << r.out;
}

}  // namespace
