// `quellix scan --quarantine`: what is found at the level moves out of the
// tree and `restore` brings it back; what cannot move stays and is said.
#include <gtest/gtest.h>
#include <unistd.h>

#include "cli_runner.h"
#include "quarantine_files.h"
#include "temp_tree.h"

namespace {

using namespace qx::test;

constexpr const char* kTrojan = "<?php eval($_POST[cmd])?>";
constexpr const char* kSuspicious = "<?php eval($_POST[x])?>";

class ScanQuarantineTest : public ::testing::Test {
  protected:
    CliResult Run(const std::vector<std::string>& args) { return RunQuellix(args, io_.Root()); }
    std::string At(const std::string& name) const { return (site_.Root() / name).string(); }
    std::string Store() const { return (keep_.Root() / "q").string(); }

    TempTree site_, keep_, io_;
};

TEST_F(ScanQuarantineTest, MovesWhatReachesTheLevelAndRestoreBringsItBack) {
    site_.Write("door.php", kTrojan);
    site_.Write("eval.php", kSuspicious);
    site_.Write("index.php", "<?php echo 'hello'; ?>");

    // A store inside the scanned tree is refused before anything moves.
    const CliResult inside = Run({"scan", "--quarantine", At("q"), site_.Root().string()});
    EXPECT_EQ(inside.status, 2);
    EXPECT_NE(inside.err.find("lies inside a scanned tree"), std::string::npos) << inside.err;
    EXPECT_TRUE(Exists(At("door.php")));

    const CliResult scan =
        Run({"scan", "--json", "-q", "--quarantine", Store(), site_.Root().string()});
    EXPECT_EQ(scan.status, 1);
    const std::size_t door = scan.out.find("{\"path\":\"" + At("door.php") + "\"");
    ASSERT_NE(door, std::string::npos) << scan.out;
    const std::size_t id_at = scan.out.find(",\"quarantined\":\"", door);
    ASSERT_NE(id_at, std::string::npos) << scan.out;
    const std::string id = scan.out.substr(id_at + 16, 32);
    EXPECT_EQ(scan.out.find("\"quarantined\"", id_at + 16), std::string::npos)
        << "only the trojan moves";
    EXPECT_FALSE(Exists(At("door.php")));
    EXPECT_TRUE(Exists(At("eval.php")));
    EXPECT_TRUE(Exists(At("index.php")));

    const CliResult restore = Run({"restore", Store(), id});
    EXPECT_EQ(restore.status, 0) << restore.err;
    EXPECT_EQ(Slurp(At("door.php")), kTrojan);
}

TEST_F(ScanQuarantineTest, AFileThatCannotMoveStaysAndLeavesTheRunUnfinished) {
    site_.Write("door.php", kTrojan);
    ASSERT_EQ(link(At("door.php").c_str(), (keep_.Root() / "other-link").c_str()), 0);
    const CliResult scan = Run({"scan", "--quarantine", Store(), site_.Root().string()});
    EXPECT_EQ(scan.status, 2);
    EXPECT_EQ(scan.out.rfind("木马\t" + At("door.php") + "\t", 0), 0u) << scan.out;
    EXPECT_EQ(scan.err.rfind("quellix: " + At("door.php") + ": not quarantined: ", 0), 0u)
        << scan.err;
    EXPECT_EQ(Slurp(At("door.php")), kTrojan);
}

}  // namespace
