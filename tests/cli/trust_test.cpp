// What a server administrator relies on: nothing unchecked passes as clean,
// no name can bend the output, interrupts and broken outputs end runs in
// order, and a clean changes only what it reports. The cases that need an
// unprivileged user drop to nobody when the suite runs as root.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "temp_tree.h"

namespace {

using qx::test::CliResult;
using qx::test::RunQuellix;
using qx::test::TempTree;

constexpr const char* kShell = "<?php eval($_POST[cmd])?>";
const std::string kCode = "<script src=http://x.example/a.js></script>";

// Runs as nobody when this process is root; else as the user it is.
std::string AsUnprivileged() {
    if (geteuid() != 0) return "";
    return "setpriv --reuid=nobody --regid=nogroup --clear-groups";
}

class TrustTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Readable by the unprivileged user wherever the test does not say otherwise.
        std::filesystem::permissions(tree_.Root(), std::filesystem::perms::all);
        std::filesystem::permissions(io_.Root(), std::filesystem::perms::all);
    }
    CliResult Run(const std::vector<std::string>& args, const std::string& prefix = "",
                  const std::string& stdout_to = "") {
        return RunQuellix(args, io_.Root(), prefix, stdout_to);
    }
    std::string Site(const std::string& below = "") const {
        return below.empty() ? tree_.Root().string() : (tree_.Root() / below).string();
    }

    TempTree tree_, io_;
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

TEST_F(TrustTest, WhatCannotBeReadIsReportedNeverPassedAsClean) {
    if (geteuid() == 0 && std::system("command -v setpriv >/dev/null") != 0) {
        GTEST_SKIP() << "running as root without setpriv: cannot drop privileges";
    }
    tree_.Write("locked/a.php", kShell);
    tree_.Write("open/b.php", kShell);
    chmod(Site("locked").c_str(), 0700);
    chmod(Site("open").c_str(), 0755);
    chmod(Site("open/b.php").c_str(), 0600);

    const CliResult text = Run({"scan", Site()}, AsUnprivileged());
    EXPECT_EQ(text.status, 2);
    EXPECT_NE(text.err.find("quellix: " + Site("locked") + ": cannot list the directory: "),
              std::string::npos)
        << text.err;
    EXPECT_NE(text.err.find("quellix: " + Site("open/b.php") + ": cannot read: "),
              std::string::npos)
        << text.err;
    EXPECT_NE(text.out.find("另有2处未能完整检查"), std::string::npos) << text.out;

    const CliResult json = Run({"scan", "--json", Site()}, AsUnprivileged());
    EXPECT_EQ(json.status, 2);
    EXPECT_NE(json.out.find("{\"problem\":{\"path\":\"" + Site("open/b.php") + "\",\"what\":"),
              std::string::npos)
        << json.out;
    EXPECT_NE(json.out.find("\"unchecked\":2}}"), std::string::npos) << json.out;
}

TEST_F(TrustTest, ALinkedRootIsFollowedLinksBelowItAreNot) {
    tree_.Write("releases/42/door.php", kShell);
    TempTree outside;
    outside.Write("secret/x.php", kShell);
    std::filesystem::create_directory_symlink(Site("releases/42"), Site("current"));
    std::filesystem::create_directory_symlink(outside.Root() / "secret", Site("releases/42/out"));
    const CliResult r = Run({"scan", "--json", Site("current")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("door.php"), std::string::npos);
    EXPECT_EQ(r.out.find("x.php"), std::string::npos);
    EXPECT_NE(r.out.find("\"files\":1,"), std::string::npos) << r.out;
}

TEST_F(TrustTest, NamesCannotBendTheOutput) {
    const std::string hostile = "x.php\033[2K\r可疑\tinnocent.php\tok\n\033[8m.php";
    tree_.Write(hostile, kShell);
    const CliResult text = Run({"scan", "-q", Site()});
    const std::vector<std::string> lines = Lines(text.out);
    ASSERT_EQ(lines.size(), 1u) << text.out;
    EXPECT_EQ(lines[0], "木马\t" + Site() +
                            "/x.php\\033[2K\\r可疑\\tinnocent.php\\tok\\n\\033[8m.php\t"
                            "发现网页木马LankerDoor.PhpSpy！");

    // A name that is not UTF-8: valid UTF-8 JSON, and its exact bytes to act on.
    std::filesystem::remove(tree_.Root() / hostile);
    const std::string raw = "caf\xE9.php";
    std::FILE* f = std::fopen(Site(raw).c_str(), "w");
    std::fputs(kShell, f);
    std::fclose(f);
    const CliResult json = Run({"scan", "--json", "-q", Site()});
    EXPECT_EQ(
        json.out.rfind("{\"path\":\"" + Site() + "/caf\xEF\xBF\xBD.php\",\"path_bytes\":\"", 0), 0u)
        << json.out;
    const std::size_t at = json.out.find("\"path_bytes\":\"");
    ASSERT_NE(at, std::string::npos) << json.out;
    const std::string encoded = json.out.substr(at + 14, json.out.find('"', at + 14) - at - 14);
    std::string decoded;
    for (std::size_t i = 0, bits = 0, buffer = 0; i < encoded.size() && encoded[i] != '='; ++i) {
        buffer =
            buffer << 6 |
            std::string_view("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/")
                .find(encoded[i]);
        if ((bits += 6) >= 8) decoded += static_cast<char>(buffer >> (bits -= 8));
    }
    EXPECT_EQ(decoded, Site(raw));
    EXPECT_EQ(json.out.find("\\udc"), std::string::npos) << "no lone surrogates";
}

TEST_F(TrustTest, InterruptsAndBrokenOutputsEndTheRunInOrder) {
    for (int i = 0; i < 3000; ++i)
        tree_.Write("d" + std::to_string(i % 30) + "/s" + std::to_string(i) + ".php", kShell);

    // SIGINT mid-scan: the findings so far, the summary, status 130.
    const std::string out = (io_.Root() / "out").string();
    const pid_t child = fork();
    if (child == 0) {
        std::freopen(out.c_str(), "w", stdout);
        execl(QX_CLI_PATH, "quellix", "scan", "--json", Site().c_str(), nullptr);
        _exit(127);
    }
    std::error_code error;
    int status = 0;
    bool ended = false;  // a child that dies before writing must not hang the test
    while ((std::filesystem::file_size(out, error) == 0 || error) &&
           !(ended = waitpid(child, &status, WNOHANG) == child)) {
        usleep(1000);
    }
    if (!ended) {
        kill(child, SIGINT);
        waitpid(child, &status, 0);
    }
    ASSERT_TRUE(WIFEXITED(status));
    const std::string summary = Lines(qx::test::Slurp(out)).back();
    if (WEXITSTATUS(status) == 130) {
        EXPECT_NE(summary.find("\"interrupted\":true}}"), std::string::npos) << summary;
    } else {
        EXPECT_EQ(WEXITSTATUS(status), 1) << "the scan ended before the signal";
    }

    // A reader that goes away ends the run quietly; a full disk is one line.
    const int piped = std::system(("bash -c '" + std::string(QX_CLI_PATH) + " scan " + Site() +
                                   " 2>" + io_.Root().string() +
                                   "/err | head -1 >/dev/null; exit "
                                   "${PIPESTATUS[0]}'")
                                      .c_str());
    EXPECT_EQ(WEXITSTATUS(piped), 141);
    EXPECT_EQ(qx::test::Slurp(io_.Root() / "err"), "");
    const CliResult full = Run({"scan", Site()}, "", "/dev/full");
    EXPECT_EQ(full.status, 2);
    EXPECT_EQ(Lines(full.err).size(), 1u) << full.err;
}

TEST_F(TrustTest, ACleanChangesOnlyWhatItReports) {
    const std::string page = "<p>" + kCode + "</p>";
    tree_.Write("a.html", page);
    tree_.Write("b/ro.html", page);
    tree_.Write("e.php", "$stmt->execute();");
    chmod(Site("b").c_str(), 0777);
    chmod(Site("a.html").c_str(), 0666);
    chmod(Site("b/ro.html").c_str(), 0444);

    const CliResult dry = Run({"clean", "--dry-run", "--code", kCode, Site()});
    EXPECT_EQ(dry.status, 0);
    EXPECT_EQ(Lines(dry.out).size(), 3u) << dry.out;
    EXPECT_EQ(tree_.Read("a.html"), page);

    const CliResult short_code = Run({"clean", "--code", "x", Site()});
    EXPECT_EQ(short_code.status, 2);
    EXPECT_EQ(tree_.Read("e.php"), "$stmt->execute();");

    // A name that is not UTF-8 is backed up under its own bytes.
    tree_.Write("c/\xff.html", page);
    chmod(Site("c/\xff.html").c_str(), 0666);
    // The read-only page holds the markup: it failed, and says why.
    const std::string backup = (io_.Root() / "backup").string();
    const CliResult clean =
        Run({"clean", "--code", kCode, "--backup", backup, Site()}, AsUnprivileged());
    EXPECT_EQ(clean.status, 1);
    EXPECT_NE(clean.out.find("清除成功\t" + Site("a.html")), std::string::npos) << clean.out;
    EXPECT_NE(clean.out.find("清除失败\t" + Site("b/ro.html")), std::string::npos) << clean.out;
    EXPECT_NE(clean.err.find(Site("b/ro.html") + ": cannot open the page for writing"),
              std::string::npos)
        << clean.err;
    EXPECT_EQ(qx::test::Slurp(backup + "/a.html"), page);
    EXPECT_EQ(qx::test::Slurp(backup + "/c/\xff.html"), page);
    EXPECT_EQ(tree_.Read("a.html"), "<p>" + std::string(kCode.size(), ' ') + "</p>");
    EXPECT_EQ(tree_.Read("b/ro.html"), page);
}

TEST_F(TrustTest, AGbkPageIsReadAsGbkWhenAsked) {
    // 海阳顶端网 in GBK, in a page without a byte-order mark: read as UTF-8
    // (the locale's) only the component is seen, read as GB18030 the family.
    tree_.Write("hy.asp",
                "<% CreateObject(\"WScript.Shell\") %>\xBA\xA3\xD1\xF4\xB6\xA5\xB6\xCB\xCD\xF8");
    const CliResult utf8 = Run({"scan", Site()}, "env LC_ALL=C.UTF-8");
    EXPECT_EQ(utf8.out.find("HaiYang01"), std::string::npos) << utf8.out;
    const CliResult gbk = Run({"scan", "--encoding", "GB18030", Site()});
    EXPECT_EQ(gbk.status, 1);
    EXPECT_NE(gbk.out.find("HaiYang01.Trojan"), std::string::npos) << gbk.out;
}

}  // namespace
