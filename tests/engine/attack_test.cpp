// Files and trees made the way an attacker would make them, to hide a shell
// from the scan or to turn the cleaner against the machine. Each row says
// what must still be found or reported; where the attack was about time, the
// pattern engine's own tests hold its work per unit of bait.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "code_cleaner.h"
#include "scan_driver.h"
#include "temp_tree.h"
#include "text_file_read.h"

namespace qx {
namespace {

using test::TempTree;

struct Outcome {
    std::vector<int> verdicts;
    std::vector<Problem::Kind> problems;
};

Outcome Scan(const std::u16string& root) {
    struct Recorder : ScanClient {
        void OnFinding(const std::u16string&, const Finding& finding) override {
            outcome.verdicts.push_back(finding.verdict);
        }
        void OnProblem(const std::u16string&, const Problem& problem) override {
            outcome.problems.push_back(problem.kind);
        }
        Outcome outcome;
    } recorder;
    ScanTree(root, recorder);
    return recorder.outcome;
}

TEST(Attack, BytesInFrontOfAShellDoNotHideIt) {
    const std::string shell = "<?php eval($_POST[cmd])?>";
    const struct {
        const char* attack;
        std::string bytes;
        int verdict;
    } rows[] = {
        // Servers skip the two bytes; read as UTF-16 the shell was noise.
        {"little-endian mark", "\xFF\xFE" + shell, VerdictTrojan},
        {"big-endian mark", "\xFE\xFF" + shell, VerdictTrojan},
        // A bad sequence must not take the line break and the e of eval.
        {"broken sequence before eval", "\xEF\xBB\xBF<?php $a='\xE0\n';eval($x);",
         VerdictSuspicious},
        // Bait that made the pattern search give up before the real call.
        {"preg_replace bait",
         std::string(20000, ' ') +
             [] {
                 std::string bait;
                 for (int i = 0; i < 2000; ++i) bait += "preg_replace/";
                 return bait;
             }() +
             "\n<?php @preg_replace(\"/x/e\", $_GET[c], '');",
         VerdictSuspicious},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.attack);
        TempTree tree;
        tree.Write("page.php", row.bytes);
        const Outcome outcome = Scan(tree.Path());
        EXPECT_EQ(outcome.verdicts, std::vector<int>{row.verdict});
        EXPECT_TRUE(outcome.problems.empty());
    }
}

TEST(Attack, BaitDoesNotStopTheSearchBeforeAnAspCall) {
    std::string page;
    for (int i = 0; i < 250000; ++i) page += "set ";
    page += "\r\n<% Set x = Server\r\n %>";
    TempTree tree;
    tree.Write("page.asp", page);
    const Outcome outcome = Scan(tree.Path());
    EXPECT_EQ(outcome.verdicts, std::vector<int>{VerdictSuspicious});
    EXPECT_TRUE(outcome.problems.empty());
}

#ifndef _WIN32
TEST(Attack, AHugeFileIsRatedUpToTheCapAndSaysSo) {
    // Four sparse gigabytes behind a shell on its first line.
    TempTree tree;
    const std::filesystem::path page = tree.Write("huge.php", "<?php eval($_POST[cmd])?>\n");
    std::filesystem::resize_file(page, std::uint64_t{4} << 30);
    const Outcome outcome = Scan(tree.Path());
    EXPECT_EQ(outcome.verdicts, std::vector<int>{VerdictTrojan});
    EXPECT_EQ(outcome.problems, std::vector<Problem::Kind>{Problem::Kind::kRatedInPart});
}

TEST(Attack, NoDepthOrPathLengthHidesAFile) {
    // Twenty levels of 80 Chinese characters: some 4,900 bytes of path,
    // past PATH_MAX, made and removed through directory descriptors.
    TempTree tree;
    std::string name;
    for (int i = 0; i < 80; ++i) name += "\xE7\xBD\x91";  // 网
    int fd = open(tree.Root().c_str(), O_RDONLY | O_DIRECTORY);
    for (int level = 0; level < 20; ++level) {
        ASSERT_EQ(mkdirat(fd, name.c_str(), 0700), 0);
        const int child = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        close(fd);
        fd = child;
    }
    const int page = openat(fd, "deep.php", O_WRONLY | O_CREAT, 0600);
    const std::string shell = "<?php eval($_POST[cmd])?>";
    ASSERT_EQ(write(page, shell.data(), shell.size()), static_cast<ssize_t>(shell.size()));
    close(page);
    close(fd);
    const Outcome outcome = Scan(tree.Path());
    EXPECT_EQ(outcome.verdicts, std::vector<int>{VerdictTrojan});
    EXPECT_TRUE(outcome.problems.empty());
    std::system(("rm -rf '" + tree.Root().string() + "'").c_str());
}

const std::u16string kCode = u"<script src=http://x.example/a.js></script>";
const std::string kCode8 = "<script src=http://x.example/a.js></script>";

int CleanRoot(const TempTree& tree) {
    struct Count : CleanClient {
        void OnPage(const std::u16string&, const PageOutcome& outcome,
                    const std::string&) override {
            cleaned += outcome.kind == PageOutcome::Kind::kCleaned;
        }
        int cleaned = 0;
    } client;
    CleanTree(tree.Path(), BuildCleanCode(kCode), client, {.threads = 1});
    return client.cleaned;
}

TEST(Attack, ADirectorySwappedForALinkCannotLeadACleanOut) {
    TempTree tree, outside;
    const std::string page = "<p>" + kCode8 + "</p>";
    outside.Write("page.html", page);
    std::filesystem::create_directory_symlink(outside.Root(), tree.Root() / "link");
    std::atomic<bool> done{false};
    std::thread swapper([&] {
        const std::string sub = (tree.Root() / "sub").string(),
                          link = (tree.Root() / "link").string();
        while (!done) renameat2(AT_FDCWD, sub.c_str(), AT_FDCWD, link.c_str(), RENAME_EXCHANGE);
    });
    for (int run = 0; run < 50; ++run) {
        tree.Write("sub/page.html", page);
        CleanRoot(tree);
    }
    done = true;
    swapper.join();
    EXPECT_EQ(outside.Read("page.html"), page);
}

TEST(Attack, AHardLinkOutOfTheTreeIsNotCleaned) {
    TempTree tree, outside;
    const std::string page = "<p>" + kCode8 + "</p>";
    outside.Write("target.html", page);
    std::filesystem::create_hard_link(outside.Root() / "target.html", tree.Root() / "page.html");
    const PageOutcome outcome = CleanFile(BuildCleanCode(kCode), tree.Path("page.html"));
    EXPECT_EQ(outcome.kind, PageOutcome::Kind::kFailed);
    EXPECT_EQ(outcome.why, PageOutcome::Why::kOtherLinks);
    EXPECT_EQ(outside.Read("target.html"), page);
}

TEST(Attack, ASaveDuringACleanIsNeverLost) {
    // The page is saved again and again, just after the markup, while it is
    // cleaned; the clean writes only the blanked markup, so the last save stays.
    TempTree tree;
    const std::string page = kCode8 + "0" + std::string(600 * 1024, 'x');
    const off_t saved_at = static_cast<off_t>(kCode8.size());
    for (int run = 0; run < 200; ++run) {
        tree.Write("page.html", page);
        const std::string path = (tree.Root() / "page.html").string();
        std::atomic<bool> done{false};
        char last = '0';
        std::thread saver([&] {
            const int fd = open(path.c_str(), O_WRONLY);
            for (char c = '1'; !done; c = c == '9' ? '1' : static_cast<char>(c + 1)) {
                if (pwrite(fd, &c, 1, saved_at) == 1) last = c;
            }
            close(fd);
        });
        CleanFile(BuildCleanCode(kCode), tree.Path("page.html"));
        done = true;
        saver.join();
        const std::string after = tree.Read("page.html");
        ASSERT_EQ(after[kCode8.size()], last) << "run " << run;
        ASSERT_EQ(after.size(), page.size());
    }
}
#endif

}  // namespace
}  // namespace qx
